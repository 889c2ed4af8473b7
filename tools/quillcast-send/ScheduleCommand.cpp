#include "ScheduleCommand.h"

#include "DeviceOptions.h"
#include "Output.h"
#include "SignalWatch.h"
#include "core/common/Clock.h"
#include "core/looping/LoopTimer.h"
#include "core/schedule/ScheduleCalendar.h"
#include "core/schedule/ScheduleControl.h"
#include "core/schedule/ScheduleFile.h"
#include "core/schedule/ScheduleRunner.h"
#include "core/schedule/ScheduleSource.h"
#include "core/session/EncoderList.h"
#include "core/session/LogFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>
#include <csignal>

namespace ScheduleCommand {

namespace {

enum ExitCode
{
    Success = 0,
    UsageError = 1,
    FileError = 2,
    NoAnswer = 3
};

// A moment as the timeline shows it: local time with its offset, which tells the two 01:30 of
// a fall-back day apart.
QString momentText(qint64 moment, const QTimeZone &zone)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(moment, zone);
    const int offset = at.offsetFromUtc();
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(qAbs(offset) / 3600, 2, 10, QLatin1Char('0'))
               .arg(qAbs(offset) / 60 % 60, 2, 10, QLatin1Char('0'));
}

// The moment the timeline starts: now, or QUILLCAST_NOW ("YYYY-MM-DD HH:MM[:SS]", local time),
// a testing aid that makes a dry run's output the same on any day.
qint64 dryRunNow(const QTimeZone &zone, QString *problem)
{
    const QString fixed = qEnvironmentVariable("QUILLCAST_NOW");
    if (fixed.isEmpty())
        return Clock::instance().now().toMSecsSinceEpoch();
    const QDateTime at = QDateTime::fromString(fixed, Qt::ISODate);
    if (!at.isValid())
        *problem = QStringLiteral("QUILLCAST_NOW must be YYYY-MM-DDTHH:MM[:SS]");
    return ScheduleCalendar::momentOf(at.date(), at.time(), zone);
}

int dryRun(const ScheduleCalendar &calendar, const QStringList &encoders, const QString &until)
{
    const QTimeZone &zone = calendar.zone();
    QString problem;
    const qint64 from = dryRunNow(zone, &problem);
    qint64 to = from + 24 * 3600 * 1000LL;
    if (!until.isEmpty()) {
        const QDateTime end =
            QDateTime::fromString(until.simplified(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QDateTime endMinutes =
            QDateTime::fromString(until.simplified(), QStringLiteral("yyyy-MM-dd HH:mm"));
        const qint64 duration = ScheduleFile::durationMsecs(until.trimmed());
        if (end.isValid() || endMinutes.isValid()) {
            const QDateTime &local = end.isValid() ? end : endMinutes;
            to = ScheduleCalendar::momentOf(local.date(), local.time(), zone);
        } else if (duration > 0) {
            to = from + duration;
        } else {
            problem =
                QStringLiteral("--until must be YYYY-MM-DD HH:MM[:SS] or a duration such as 36h");
        }
    }
    if (!problem.isEmpty()) {
        Output::error(problem);
        return UsageError;
    }
    struct Entry
    {
        qint64 at;
        int encoder;
        int event;
    };
    QList<Entry> entries;
    for (int i = 0; i < encoders.size(); ++i) {
        for (const ScheduleCalendar::Change &change : calendar.changes(encoders[i], from, to))
            entries.append({change.at, i, change.onAir.event});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.at < b.at; });
    for (const Entry &entry : std::as_const(entries)) {
        const QString head =
            momentText(entry.at, zone) + QLatin1Char(' ') + encoders[entry.encoder];
        if (entry.event < 0) {
            Output::line(head + QStringLiteral(" nothing on air"));
            continue;
        }
        const ScheduleEvent &event = calendar.events().at(entry.event);
        Output::line(head + QLatin1Char(' ') + event.title());
        for (const CtrlACommand &command : event.commands())
            Output::line(QStringLiteral("  ") +
                         QString::fromLatin1(command.wireBytes().toHex().toUpper()));
    }
    return Success;
}

} // namespace

int run(const Options &options)
{
    // The encoders: a list's entries (a configuration they name is not used), or one per
    // --device, named after its device.
    QList<EncoderList::Entry> entries;
    if (!options.encoders.isEmpty()) {
        const EncoderList::Result list =
            EncoderList::read(options.encoders, options.line, options.schedule);
        if (!list.problem.isEmpty()) {
            Output::error(list.problem);
            return FileError;
        }
        entries = list.entries;
    } else if (const QString problem =
                   DeviceOptions::encoders(options.devices, options.line, QString(), &entries);
               !problem.isEmpty()) {
        Output::error(problem);
        return UsageError;
    }
    QList<ScheduleRunner::Encoder> encoders;
    QStringList names;
    for (const EncoderList::Entry &entry : std::as_const(entries)) {
        encoders << ScheduleRunner::Encoder{entry.name, entry.device, entry.line};
        names << entry.name;
    }

    const ScheduleFile::Result schedule = ScheduleFile::read(options.schedule, names);
    if (!schedule.problem.isEmpty()) {
        Output::error(schedule.problem);
        return FileError;
    }
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (options.dryRun)
        return dryRun(ScheduleCalendar(schedule.events, zone), names, options.until);

    // No output may cost an input file.
    QStringList inputs{options.schedule};
    if (!options.encoders.isEmpty())
        inputs << options.encoders;
    for (const auto &[option, path] : {std::pair{QStringLiteral("--log"), options.log},
                                       std::pair{QStringLiteral("--status"), options.status}}) {
        if (const QString input = LogFile::clashingInput(path, inputs); !input.isEmpty()) {
            Output::error(
                QStringLiteral("%1 %2 is the input file %3: refused").arg(option, path, input));
            return UsageError;
        }
    }
    LogFile log;
    if (!options.log.isEmpty()) {
        if (!log.open(options.log)) {
            Output::error(options.log + QStringLiteral(": ") + log.errorString());
            return UsageError;
        }
        log.setLive(false);
    }

    ScheduleRunner runner(encoders, zone);
    if (log.isOpen())
        runner.setTrafficLog(&log);
    runner.setStatusFile(options.status);
    runner.setSchedule(schedule.events);
    QObject::connect(&runner, &ScheduleRunner::reported,
                     [](const QString &line) { Output::line(line); });

    ScheduleControlServer control(&runner);
    if (!options.control.isEmpty()) {
        QString problem;
        if (!control.listen(options.control, &problem)) {
            Output::error(QStringLiteral("--control %1: %2").arg(options.control, problem));
            return UsageError;
        }
    }

    ScheduleSource source(options.schedule, names);
    source.reload(); // takes the text just checked as the schedule in force
    QObject::connect(&source, &ScheduleSource::loaded, &runner,
                     [&runner](const QList<ScheduleEvent> &events) {
                         Output::line(Output::timeStamp() +
                                      QStringLiteral(" all encoders the schedule was reloaded: "
                                                     "%1 events")
                                          .arg(events.size()));
                         runner.setSchedule(events);
                     });
    QObject::connect(&source, &ScheduleSource::refused, [](const QString &problem) {
        Output::line(Output::timeStamp() +
                     QStringLiteral(" all encoders the new schedule is refused, the one in force "
                                    "keeps running: ") +
                     problem);
    });

    SignalWatch interrupts;
    QObject::connect(&interrupts, &SignalWatch::received, &runner, [&](int signal) {
        if (signal == SIGHUP)
            source.reload();
        else
            runner.stop();
    });
    QEventLoop events;
    QObject::connect(&runner, &ScheduleRunner::finished, &events, &QEventLoop::quit);
    runner.start();
    events.exec();
    if (!log.finish()) {
        Output::error(log.fileName() + QStringLiteral(": the traffic log could not be written: ") +
                      log.errorString());
        return UsageError;
    }
    return Success;
}

int control(const QString &socket, const QStringList &words)
{
    ScheduleControlClient client;
    QEventLoop events;
    int status = NoAnswer;
    QObject::connect(&client, &ScheduleControlClient::answered, &events,
                     [&](bool ok, const QStringList &lines) {
                         for (const QString &line : lines)
                             ok ? Output::line(line) : Output::error(line);
                         status = ok                                                    ? Success
                                  : lines.value(0).startsWith(QLatin1String("refused")) ? UsageError
                                                                                        : NoAnswer;
                         events.quit();
                     });
    client.send(socket, words);
    events.exec();
    return status;
}

} // namespace ScheduleCommand
