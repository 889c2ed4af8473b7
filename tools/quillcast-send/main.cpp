// Sends a saved configuration file to closed-caption encoders without the window:
//
//   quillcast-send FILE.qcf --device PATH [--device PATH ...]
//                  [--baud N --parity E|O|N --data-bits 7|8] [--dry-run] [--log FILE]
//   quillcast-send --encoders LIST.ini [FILE.qcf] [--jobs N] [--report FILE.json] ...
//   quillcast-send --loop FILE.txt --device PATH (--for HH:MM:SS | --continuous) [--channel N]
//   quillcast-send --schedule FILE.csv (--device PATH... | --encoders LIST.ini) [--status
//   FILE.json]
//                  [--control SOCKET] [--log FILE] [--dry-run [--until TIME]]
//   quillcast-send --schedule-control SOCKET hold | resume [--shift] | override ... | status
//
// The file is loaded onto the same defaults as the window's, built by the same command builders
// and sent by the same sequencer. Several encoders are sent to at once, each over its own port,
// in the one event loop. Exit status: 0 every command answered (on every encoder), 1 wrong
// usage (also a --log or --report that names an input, or a log that cannot be written),
// 2 a file or list that cannot be read or is not valid, 3 a port could not be opened or the
// line was lost, 4 an encoder did not answer in time, 5 an encoder restarted during the send
// or its reply was too long. With several encoders the status is that of the first one in
// list order that failed.

#include "LoopSession.h"
#include "Output.h"
#include "ScheduleCommand.h"
#include "core/commands/ControlProcessing.h"
#include "core/common/AppInfo.h"
#include "core/common/Clock.h"
#include "core/common/GlobalFunctions.h"
#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/config/ConfigurationFile.h"
#include "core/config/DefaultInfo.h"
#include "core/session/EncoderList.h"
#include "core/session/LogFile.h"
#include "core/session/PlantRun.h"
#include "core/session/SendSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimeZone>

#include <sys/resource.h>

namespace {

enum ExitCode
{
    Success = 0,
    UsageError = 1,
    FileError = 2
};

// Each encoder holds one descriptor (its serial device or network connection); a few more are
// the program's own. The soft limit is raised to the hard one first.
int defaultJobs()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    // Half of what is left after the program's own, for the descriptors the serial and network
    // layers may open besides the device itself.
    const rlim_t usable = limit.rlim_cur > 64 ? (limit.rlim_cur - 64) / 2 : 1;
    return int(qBound<rlim_t>(1, usable, 100000));
}

// The commands of one configuration file, loaded onto the window's defaults: the plant's
// identification from the settings store and the daylight state of this moment, with the year
// lists counted from today.
struct Loaded
{
    bool ok = false;
    QString problem;   // why the file was refused
    QStringList notes; // what a load that went through had to say (an older file converted)
    QList<CtrlACommand> commands;
};

Loaded loadConfiguration(const QString &path, const LocalTimeZoneSnapshot &zone)
{
    Loaded loaded;
    const ConfigurationFile::LoadResult result = ConfigurationFile::loadConfiguration(
        path, Configuration::defaults(DefaultInfo::loadDefaultInfo(nullptr), zone.InDaylightTime));
    // No one is there to answer a question: the first one refuses the file, as No would.
    for (const ConfigurationFile::Message &message : result.messages) {
        // Message texts may hold line breaks; one line each keeps the error stream readable.
        QString line = message.text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), ' ');
        if (message.kind == ConfigurationFile::Message::Question || !result.readable) {
            loaded.problem = line;
            return loaded;
        }
        loaded.notes << line;
    }
    if (!result.readable) {
        loaded.problem = QStringLiteral("not a readable configuration file");
        return loaded;
    }
    loaded.ok = true;
    ControlProcessing::Context context;
    context.zone = zone;
    ControlProcessing(result.configuration, context, [&loaded](const CtrlACommand &command) {
        loaded.commands << command;
    }).buildConfiguration();
    return loaded;
}

// What a send prints as it goes: with a single encoder, its device and line and each text sent
// (>) and received (<) with a time stamp, and its outcome; with several, one line per encoder
// as it finishes. A failure is also told on standard error.
void printProgress(PlantRun &run, bool single)
{
    if (single) {
        QObject::connect(&run, &PlantRun::encoderStarted, [&run](int index) {
            const SendSession *session = run.session(index);
            const auto transcript = [](const QString &direction, const QString &text) {
                Output::line(Output::timeStamp() + direction +
                             Output::escaped(GlobalFunctions::toSingleByte(text)));
            };
            QObject::connect(session, &SendSession::commandSent,
                             [=](const QString &text) { transcript(QStringLiteral(" > "), text); });
            QObject::connect(session, &SendSession::replyReceived,
                             [=](const QString &text) { transcript(QStringLiteral(" < "), text); });
            Output::line(QStringLiteral("device %1 at %2")
                             .arg(session->device(), session->line().settingsText()));
        });
    }
    QObject::connect(&run, &PlantRun::encoderFinished, [&run, single](int index) {
        const SendSession *session = run.session(index);
        if (!single) {
            Output::line(
                QStringLiteral("%1: %2, %3 s, %4 of %5 commands answered")
                    .arg(session->name(), session->failure()
                                              ? QStringLiteral("failed (%1)").arg(session->reason())
                                              : QStringLiteral("ok"))
                    .arg(session->seconds(), 0, 'f', 1)
                    .arg(session->answered())
                    .arg(session->commandCount()));
        }
        if (session->failure())
            Output::error(session->name() + QStringLiteral(": ") + session->message());
        else if (single)
            Output::line(session->name() + QStringLiteral(": ") + session->message());
    });
}

// "2 of 3 encoders programmed; failed: studio-2 (did not answer in time)"
QString summary(const PlantRun &run)
{
    const QList<int> failed = run.failedEncoders();
    QStringList names;
    for (int index : failed)
        names << QStringLiteral("%1 (%2)").arg(run.session(index)->name(),
                                               run.session(index)->reason());
    QString text = QStringLiteral("%1 of %2 encoders programmed")
                       .arg(run.encoderCount() - failed.size())
                       .arg(run.encoderCount());
    if (!failed.isEmpty())
        text += QStringLiteral("; failed: ") + names.join(QStringLiteral(", "));
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillcast-send"));
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a Quillcast configuration file to closed-caption encoders exactly as the window's\n"
        "Send Configuration does. With one --device each command sent (>) and each reply\n"
        "received (<) is printed on its own line with a time stamp. With several encoders (a list\n"
        "given with --encoders, or several --device) all are sent to at once, each over its own\n"
        "port; one line per encoder is printed as it finishes, then a summary.\n"
        "\n"
        "The list of --encoders is an INI file with one section per encoder, the section's name\n"
        "being the encoder's name, and the keys device (a path, tcp://HOST:PORT or\n"
        "rfc2217://HOST:PORT), baud, parity, data-bits (defaults: the command line's) and\n"
        "configuration (a .qcf file relative to the list's folder; default: FILE.qcf). Every\n"
        "entry and file is checked before anything is sent.\n"
        "\n"
        "Exit status:\n"
        "  0  every command was answered on every encoder\n"
        "  1  wrong usage; a --log or --report file that is one of the input files; a log that\n"
        "     cannot be written\n"
        "  2  a file cannot be read or is not a configuration file; a bad list or entry\n"
        "  3  a port could not be opened, or the line was lost\n"
        "  4  an encoder did not answer in time\n"
        "  5  an encoder restarted during the send, or its reply was too long\n"
        "With several encoders the status is that of the first one in list order that failed.\n"
        "\n"
        "With --loop the captions of a caption loop file are sent to one encoder instead, as the\n"
        "CC Looping tab does, each printed with a time stamp as it is queued; the loop ends\n"
        "with status 0 when its time is up or on Ctrl-C, after the line in flight."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE.qcf"),
        QStringLiteral("The configuration file to send (with --encoders: to the "
                       "entries that name none)."));
    const QCommandLineOption deviceOption(
        QStringLiteral("device"),
        QStringLiteral("Serial device of an encoder, e.g. /dev/ttyUSB0, or the port of a serial "
                       "device server, e.g. tcp://192.168.1.20:4001 (raw) or "
                       "rfc2217://192.168.1.20:2217 (line settings applied); repeat the option "
                       "to send to several encoders at once."),
        QStringLiteral("path"));
    const QCommandLineOption encodersOption(
        QStringLiteral("encoders"),
        QStringLiteral("Send to every encoder of the list <file> (INI, one section per "
                       "encoder) at once."),
        QStringLiteral("file"));
    const QCommandLineOption jobsOption(
        QStringLiteral("jobs"),
        QStringLiteral("Send to at most <n> encoders at a time (default: as many as the "
                       "open-file limit allows)."),
        QStringLiteral("n"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("Write one JSON record per encoder to <file>: name, device, "
                       "configuration, result, exit_status, seconds, commands_answered, "
                       "message."),
        QStringLiteral("file"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("Baud rate (default 1200)."),
                                        QStringLiteral("n"), QStringLiteral("1200"));
    const QCommandLineOption parityOption(QStringLiteral("parity"),
                                          QStringLiteral("Parity: E, O or N (default O)."),
                                          QStringLiteral("letter"), QStringLiteral("O"));
    const QCommandLineOption dataBitsOption(QStringLiteral("data-bits"),
                                            QStringLiteral("Data bits: 7 or 8 (default 7)."),
                                            QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"),
        QStringLiteral("Print the commands that would be sent, one per line as their wire bytes "
                       "in hexadecimal (under each encoder's name when there are several), and "
                       "open no port."));
    const QCommandLineOption loopOption(QStringLiteral("loop"),
                                        QStringLiteral("Loop the captions of a caption loop file."),
                                        QStringLiteral("FILE.txt"));
    const QCommandLineOption forOption(QStringLiteral("for"),
                                       QStringLiteral("Loop for this long (with --loop)."),
                                       QStringLiteral("HH:MM:SS"));
    const QCommandLineOption continuousOption(QStringLiteral("continuous"),
                                              QStringLiteral("Loop until Ctrl-C (with --loop)."));
    const QCommandLineOption channelOption(
        QStringLiteral("channel"),
        QStringLiteral("Caption channel 1 to 4 instead of the file's (with --loop)."),
        QStringLiteral("n"));
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Write the traffic log to <file>: connects, commands, replies and "
                       "time-outs, one line each, as the window's Traffic Log shows them, after "
                       "the encoder's name when there are several. Never one of the input "
                       "files."),
        QStringLiteral("file"));
    parser.addOptions({deviceOption, encodersOption, jobsOption, reportOption, baudOption,
                       parityOption, dataBitsOption, dryRunOption, logOption, loopOption, forOption,
                       continuousOption, channelOption});
    // Program data on a schedule (ScheduleCommand).
    const QCommandLineOption scheduleOption(
        QStringLiteral("schedule"),
        QStringLiteral("Keep the program name, rating and CGMS-A of a program schedule (CSV) on "
                       "air on the --device or --encoders until stopped; SIGHUP or a change of "
                       "the file reloads it. With --dry-run, print the next 24 hours instead."),
        QStringLiteral("FILE.csv"));
    const QCommandLineOption untilOption(
        QStringLiteral("until"),
        QStringLiteral("With --schedule --dry-run: end the timeline at <time> (YYYY-MM-DD "
                       "HH:MM[:SS]) or after a duration such as 36h."),
        QStringLiteral("time"));
    const QCommandLineOption statusOption(
        QStringLiteral("status"),
        QStringLiteral("With --schedule: keep <file> (JSON) telling, per encoder, the event on "
                       "air, when it was sent and the result."),
        QStringLiteral("file"));
    const QCommandLineOption controlOption(
        QStringLiteral("control"),
        QStringLiteral("With --schedule: take commands on the local socket <path>."),
        QStringLiteral("path"));
    const QCommandLineOption scheduleControlOption(
        QStringLiteral("schedule-control"),
        QStringLiteral("Send a command to the schedule running with --control <path>: hold, "
                       "resume [--shift], override COLUMN=VALUE... or status."),
        QStringLiteral("path"));
    const QCommandLineOption shiftOption(
        QStringLiteral("shift"),
        QStringLiteral("With --schedule-control resume: move the day's following starts by the "
                       "time held."));
    parser.addOptions({scheduleOption, untilOption, statusOption, controlOption,
                       scheduleControlOption, shiftOption});
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    const QStringList devices = parser.values(deviceOption);
    const bool dryRun = parser.isSet(dryRunOption);
    const bool plantList = parser.isSet(encodersOption);
    const auto usage = [](const QString &problem) {
        Output::error(problem);
        return int(UsageError);
    };
    LineSettings line;
    const QString lineProblem = EncoderList::readLine(
        parser.value(baudOption), parser.value(parityOption), parser.value(dataBitsOption), &line);
    if (!lineProblem.isEmpty())
        return usage(lineProblem);

    if (parser.isSet(scheduleControlOption)) {
        QStringList words = parser.positionalArguments();
        if (parser.isSet(shiftOption))
            words << QStringLiteral("--shift");
        if (words.isEmpty())
            return usage(QStringLiteral("--schedule-control needs a command; see --help"));
        return ScheduleCommand::control(parser.value(scheduleControlOption), words);
    }
    if (parser.isSet(scheduleOption)) {
        if (!parser.positionalArguments().isEmpty() || parser.isSet(loopOption) ||
            parser.isSet(reportOption) || devices.isEmpty() == !plantList)
            return usage(QStringLiteral("--schedule takes --device PATH... or --encoders LIST.ini, "
                                        "and no configuration file, --loop or --report"));
        return ScheduleCommand::run({parser.value(scheduleOption), devices,
                                     parser.value(encodersOption), line, dryRun,
                                     parser.value(untilOption), parser.value(statusOption),
                                     parser.value(controlOption), parser.value(logOption)});
    }
    int jobs = 0;
    if (parser.isSet(jobsOption)) {
        bool ok = false;
        jobs = parser.value(jobsOption).toInt(&ok);
        if (!ok || jobs < 1)
            return usage(QStringLiteral("--jobs must be a positive number"));
    }
    // Never more at once than the open-file limit allows, whatever --jobs asks.
    const int jobsLimit = defaultJobs();
    jobs = jobs > 0 ? qMin(jobs, jobsLimit) : jobsLimit;
    const QString logPath = parser.value(logOption);
    const QString reportPath = parser.value(reportOption);
    if (parser.isSet(logOption) && parser.isSet(reportOption) &&
        (QFileInfo(logPath).absoluteFilePath() == QFileInfo(reportPath).absoluteFilePath() ||
         !LogFile::clashingInput(logPath, {reportPath}).isEmpty()))
        return usage(QStringLiteral("--log and --report name the same file"));

    if (parser.isSet(loopOption)) {
        if (!files.isEmpty() || dryRun || plantList || parser.isSet(reportOption))
            return usage(QStringLiteral(
                "--loop takes no configuration file, no --dry-run, --encoders or --report"));
        const QString loopFile = parser.value(loopOption);
        if (const QString input = LogFile::clashingInput(logPath, {loopFile}); !input.isEmpty())
            return usage(QStringLiteral("--log %1 is the caption loop file %2: refused")
                             .arg(logPath, input));
        return LoopSession::command(
            {loopFile, devices, line, parser.value(forOption), parser.isSet(continuousOption),
             parser.isSet(channelOption) ? parser.value(channelOption) : QString(),
             parser.isSet(logOption) ? logPath : QString()});
    }
    if (plantList ? (files.size() > 1 || !devices.isEmpty())
                  : (files.size() != 1 || (devices.isEmpty() && !dryRun)))
        return usage(QStringLiteral("give one configuration file and at least one --device, or "
                                    "--encoders LIST.ini (or --dry-run); see --help"));

    // The encoders: a list's entries, or one per --device (named after its device).
    const QString file = files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
    QList<EncoderList::Entry> entries;
    if (plantList) {
        const EncoderList::Result list =
            EncoderList::read(parser.value(encodersOption), line, file);
        if (!list.problem.isEmpty()) {
            Output::error(list.problem);
            return FileError;
        }
        entries = list.entries;
    } else {
        QHash<QString, QString> seen;
        for (const QString &device : devices) {
            QString problem;
            if (!EncoderList::checkDevice(device, &problem))
                return usage(QStringLiteral("--device: ") + problem);
            const QString key = EncoderList::deviceKey(device);
            if (seen.contains(key))
                return usage(QStringLiteral("--device %1 names the encoder of --device %2 again")
                                 .arg(device, seen.value(key)));
            seen.insert(key, device);
            entries << EncoderList::Entry{device, device, line, file};
        }
    }

    // Every configuration is read and built once, before anything is sent.
    const LocalTimeZoneSnapshot zone =
        LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());
    QHash<QString, Loaded> configurations;
    QStringList inputs;
    if (plantList)
        inputs << parser.value(encodersOption);
    if (!file.isEmpty())
        inputs << file;
    const auto configurationOf = [&](const QString &path) -> const Loaded & {
        auto it = configurations.find(path);
        if (it == configurations.end()) {
            it = configurations.insert(path, loadConfiguration(path, zone));
            inputs << path;
        }
        return *it;
    };
    if (entries.isEmpty()) { // --dry-run without a device
        const Loaded &loaded = configurationOf(file);
        if (!loaded.ok) {
            Output::error(files.first() + QStringLiteral(": ") + loaded.problem);
            return FileError;
        }
    }
    for (const EncoderList::Entry &entry : std::as_const(entries)) {
        const bool known = configurations.contains(entry.configuration);
        const Loaded &loaded = configurationOf(entry.configuration);
        const QString where =
            plantList ? QStringLiteral("%1: encoder \"%2\": %3")
                            .arg(parser.value(encodersOption), entry.name, entry.configuration)
                      : files.first();
        if (!loaded.ok) {
            Output::error(where + QStringLiteral(": ") + loaded.problem);
            return FileError;
        }
        if (!known) {
            for (const QString &note : loaded.notes)
                Output::error(where + QStringLiteral(": ") + note);
        }
    }

    // Neither output may cost an input file: checked before either is opened.
    for (const auto &[option, path] : {std::pair{QStringLiteral("--log"), logPath},
                                       std::pair{QStringLiteral("--report"), reportPath}}) {
        if (const QString input = LogFile::clashingInput(path, inputs); !input.isEmpty())
            return usage(
                QStringLiteral("%1 %2 is the input file %3: refused").arg(option, path, input));
    }

    const bool single = !plantList && entries.size() == 1;
    if (dryRun) {
        if (entries.isEmpty() || single) {
            for (const CtrlACommand &command : configurationOf(file).commands)
                Output::line(QString::fromLatin1(command.wireBytes().toHex().toUpper()));
        } else {
            for (const EncoderList::Entry &entry : std::as_const(entries)) {
                Output::line(entry.name + QLatin1Char(':'));
                for (const CtrlACommand &command : configurationOf(entry.configuration).commands)
                    Output::line(QStringLiteral("  ") +
                                 QString::fromLatin1(command.wireBytes().toHex().toUpper()));
            }
        }
        return Success;
    }

    LogFile log;
    if (parser.isSet(logOption)) {
        if (!log.open(logPath))
            return usage(logPath + QStringLiteral(": ") + log.errorString());
        log.setLive(single);
    }

    QList<PlantRun::Encoder> encoders;
    for (const EncoderList::Entry &entry : std::as_const(entries))
        encoders << PlantRun::Encoder{entry.name, entry.device, entry.configuration, entry.line,
                                      configurationOf(entry.configuration).commands};
    // Each session reports its own outcome under its encoder's name.
    PlantRun run(encoders, jobs);
    if (log.isOpen())
        run.setTrafficLog(&log, !single);
    printProgress(run, single);
    QObject::connect(&run, &PlantRun::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    run.start();
    app.exec();
    if (!single)
        Output::line(summary(run));

    int exitCode = run.exitStatus();
    if (!log.finish()) {
        Output::error(log.fileName() + QStringLiteral(": the traffic log could not be written: ") +
                      log.errorString());
        if (exitCode == Success)
            exitCode = UsageError;
    }
    if (parser.isSet(reportOption)) {
        QSaveFile report(reportPath);
        if (!report.open(QIODevice::WriteOnly) ||
            report.write(QJsonDocument(run.report()).toJson()) < 0 || !report.commit()) {
            Output::error(reportPath + QStringLiteral(": the report could not be written: ") +
                          report.errorString());
            if (exitCode == Success)
                exitCode = UsageError;
        }
    }
    return exitCode;
}
