// Sends a saved configuration file to closed-caption encoders without the window:
//
//   quillcast-send FILE.qcf --device PATH [--device PATH ...]
//                  [--baud N --parity E|O|N --data-bits 7|8] [--dry-run] [--log FILE]
//   quillcast-send --encoders LIST.ini [FILE.qcf] [--jobs N] [--report FILE.json|-] ...
//                  [--only NAME,... | --retry-failed REPORT.json] [--check] [--quiet]
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
// or its reply was too long; 129, 130, 143 ended early by SIGHUP, SIGINT, SIGTERM. With several
// encoders the status is that of the first one in list order that failed.

#include "DeviceOptions.h"
#include "LoopSession.h"
#include "Output.h"
#include "PlantOutput.h"
#include "ScheduleCommand.h"
#include "SignalWatch.h"
#include "core/common/AppInfo.h"
#include "core/common/Clock.h"
#include "core/common/GlobalFunctions.h"
#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/session/EncoderList.h"
#include "core/session/LogFile.h"
#include "core/session/PlantConfigurations.h"
#include "core/session/PlantRun.h"
#include "core/session/ReportFile.h"
#include "core/session/SendSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimeZone>

#include <unistd.h>

namespace {

enum ExitCode
{
    Success = 0,
    UsageError = 1,
    FileError = 2
};

// Keeps the entries that --only names, less those that --retry-failed's report records as
// programmed (a failed, interrupted or never started one, or one the report lacks because the
// run was killed, is sent to again); "" when every name is known, else the problem.
QString selectEntries(QList<EncoderList::Entry> *entries, const QStringList &only,
                      const QString &retryReport)
{
    QSet<QString> known;
    for (const EncoderList::Entry &entry : std::as_const(*entries))
        known.insert(entry.name);
    QSet<QString> wanted = only.isEmpty() ? known : QSet<QString>();
    for (const QString &name : only) {
        if (!known.contains(name))
            return QStringLiteral("--only: no encoder \"%1\" in the list").arg(name);
        wanted.insert(name);
    }
    if (!retryReport.isEmpty()) {
        QFile file(retryReport);
        const QJsonDocument report = file.open(QIODevice::ReadOnly)
                                         ? QJsonDocument::fromJson(file.readAll())
                                         : QJsonDocument();
        if (!report.isArray())
            return retryReport + QStringLiteral(": not a report of quillcast-send");
        for (const QJsonValue &value : report.array()) {
            const QString name = value.toObject().value(QStringLiteral("name")).toString();
            if (!known.contains(name))
                return QStringLiteral("%1: encoder \"%2\" is not in the list")
                    .arg(retryReport, name);
            if (value.toObject().value(QStringLiteral("result")).toString() == QLatin1String("ok"))
                wanted.remove(name);
        }
    }
    entries->removeIf(
        [&](const EncoderList::Entry &entry) { return !wanted.contains(entry.name); });
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    SignalWatch::ignoreBrokenPipes();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillcast-send"));
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a Quillcast configuration file to closed-caption encoders exactly as the window's\n"
        "Send Configuration does. With one --device each command sent (>) and each reply\n"
        "received (<) is printed on its own line with a time stamp. With several encoders (a list\n"
        "given with --encoders, or several --device) all are sent to at once, each over its own\n"
        "port; one line per encoder is printed as it finishes (names padded to the longest), then\n"
        "a summary that groups the failures by reason. On a terminal a progress line at the foot\n"
        "of standard error tells how many encoders are done and failed, how many commands were\n"
        "answered and the time so far (not with --quiet, nor in a pipe or a file).\n"
        "\n"
        "The list of --encoders is an INI file with one section per encoder, the section's name\n"
        "being the encoder's name, and the keys device (a path, tcp://HOST:PORT or\n"
        "rfc2217://HOST:PORT), baud, parity, data-bits (defaults: the command line's) and\n"
        "configuration (a .qcf file relative to the list's folder; default: FILE.qcf). Lines\n"
        "starting with # or ; are comments, and so is the rest of a line from a # or ; after a\n"
        "blank. A section or key given twice is refused. Every entry and file is checked before\n"
        "anything is sent. Control characters in names, devices and messages are shown escaped\n"
        "(\\r, \\n, \\xHH).\n"
        "\n"
        "On SIGINT, SIGTERM or SIGHUP no further encoder is started, each command in flight is\n"
        "let finish (or time out), each encoder under way is reported \"interrupted after n of m\n"
        "commands\", then the summary and the report follow. The report is rewritten after each\n"
        "encoder and the log written as the run goes, so that even a killed run leaves a record.\n"
        "\n"
        "Exit status:\n"
        "  0  every command was answered on every encoder\n"
        "  1  wrong usage; a --log or --report file that is one of the input files or a device\n"
        "     of the list; a log, report or standard output that cannot be written\n"
        "  2  a file cannot be read or is not a configuration file; a bad list or entry; a\n"
        "     --report place that is not a regular file or a new file in a writable folder;\n"
        "     an unknown name given to --only or in the report of --retry-failed\n"
        "  3  a port could not be opened, or the line was lost\n"
        "  4  an encoder did not answer in time\n"
        "  5  an encoder restarted during the send, or its reply was too long\n"
        "  129, 130, 143  ended early by SIGHUP, SIGINT, SIGTERM\n"
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
                       "encoder) at once; a pipe such as <(...) is read once."),
        QStringLiteral("file"));
    const QCommandLineOption jobsOption(
        QStringLiteral("jobs"),
        QStringLiteral("Send to at most <n> encoders at a time (default: as many as the "
                       "open-file limit allows)."),
        QStringLiteral("n"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("Write one JSON record per encoder to <file>: name, device, "
                       "configuration, result (ok, failed, interrupted or not started), "
                       "exit_status, seconds, commands_answered, message. Rewritten whole after "
                       "each encoder. With - the report goes to standard output and the lines "
                       "of the run to standard error."),
        QStringLiteral("file"));
    const QCommandLineOption checkOption(
        QStringLiteral("check"),
        QStringLiteral("Ask each encoder to identify itself and send nothing else: per encoder "
                       "\"answers: IDENTIFICATION\", \"does not answer\" or \"cannot be opened: "
                       "REASON\"; the report and exit status as for a send."));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        QStringLiteral("Send only to the encoders named (comma-separated) of the list."),
        QStringLiteral("names"));
    const QCommandLineOption retryOption(
        QStringLiteral("retry-failed"),
        QStringLiteral("Send only to the encoders of the list that <report> (of an earlier run) "
                       "does not record as programmed."),
        QStringLiteral("report"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("No progress line on the terminal."));
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
                       "files nor an encoder's device; a FIFO nobody reads is refused."),
        QStringLiteral("file"));
    parser.addOptions({deviceOption, encodersOption, jobsOption, reportOption, checkOption,
                       onlyOption, retryOption, quietOption, baudOption, parityOption,
                       dataBitsOption, dryRunOption, logOption, loopOption, forOption,
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

    // Every way out passes here: a reader of standard output that went away makes the status
    // say that the output is incomplete, though the encoders were sent to in full.
    const auto send = [&]() -> int {
        const QStringList files = parser.positionalArguments();
        const QStringList devices = parser.values(deviceOption);
        const bool dryRun = parser.isSet(dryRunOption);
        const bool check = parser.isSet(checkOption);
        const bool plantList = parser.isSet(encodersOption);
        const QString listPath = parser.value(encodersOption);
        const auto usage = [](const QString &problem) {
            Output::error(problem);
            return int(UsageError);
        };
        const auto refuse = [](const QString &problem) {
            Output::error(problem);
            return int(FileError);
        };
        if (parser.values(encodersOption).size() > 1)
            return usage(QStringLiteral("give --encoders once: one list of encoders per run"));
        LineSettings line;
        const QString lineProblem =
            EncoderList::readLine(parser.value(baudOption), parser.value(parityOption),
                                  parser.value(dataBitsOption), &line);
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
                return usage(
                    QStringLiteral("--schedule takes --device PATH... or --encoders LIST.ini, "
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
        const int jobsLimit = PlantRun::defaultJobs();
        jobs = jobs > 0 ? qMin(jobs, jobsLimit) : jobsLimit;
        const QString logPath = parser.value(logOption);
        const QString reportPath = parser.value(reportOption);
        const bool reportToOutput = reportPath == QLatin1String("-");
        if (parser.isSet(logOption) && parser.isSet(reportOption) &&
            (QFileInfo(logPath).absoluteFilePath() == QFileInfo(reportPath).absoluteFilePath() ||
             !LogFile::clashingInput(logPath, {reportPath}).isEmpty()))
            return usage(QStringLiteral("--log and --report name the same file"));

        if (parser.isSet(loopOption)) {
            if (!files.isEmpty() || dryRun || plantList || parser.isSet(reportOption) || check ||
                parser.isSet(onlyOption) || parser.isSet(retryOption))
                return usage(QStringLiteral("--loop takes no configuration file, no --dry-run, "
                                            "--encoders, --report, --check, --only or "
                                            "--retry-failed"));
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
                      : (files.size() > 1 || (files.isEmpty() && !check) ||
                         (devices.isEmpty() && !dryRun)))
            return usage(QStringLiteral("give one configuration file and at least one --device, "
                                        "or --encoders LIST.ini (or --dry-run); see --help"));
        if (check && dryRun)
            return usage(QStringLiteral("--check sends nothing to dry-run: give one of them"));
        // The report's place is known good before any port opens: a plant is never sent to
        // only to learn at the end that its record cannot be kept.
        if (parser.isSet(reportOption)) {
            if (const QString problem = ReportFile::placeProblem(reportPath); !problem.isEmpty())
                return refuse(QStringLiteral("--report %1 %2: refused").arg(reportPath, problem));
        }

        // The encoders: a list's entries, or one per --device (named after its device).
        const QString file =
            files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
        QList<EncoderList::Entry> entries;
        if (plantList) {
            const EncoderList::Result list = EncoderList::read(listPath, line, file, !check);
            if (!list.problem.isEmpty())
                return refuse(list.problem);
            entries = list.entries;
        } else if (const QString problem = DeviceOptions::encoders(devices, line, file, &entries);
                   !problem.isEmpty()) {
            return usage(problem);
        }
        QStringList only;
        for (const QString &names : parser.values(onlyOption))
            only << names.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString &name : only)
            name = name.trimmed();
        if (parser.isSet(onlyOption) && only.isEmpty())
            return usage(QStringLiteral("--only needs the names of encoders"));
        if (const QString problem = selectEntries(&entries, only, parser.value(retryOption));
            !problem.isEmpty())
            return refuse(problem);

        // Every configuration is read and built once, before anything is sent: FILE.qcf too,
        // when every entry names its own.
        const LocalTimeZoneSnapshot zone =
            LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());
        PlantConfigurations configurations(zone);
        if (!file.isEmpty()) {
            const PlantConfigurations::Loaded &loaded = configurations.of(file);
            if (!loaded.ok)
                return refuse(files.first() + QStringLiteral(": ") + loaded.problem);
            for (const QString &note : loaded.notes)
                Output::error(files.first() + QStringLiteral(": ") + note);
        }
        QStringList notes;
        const QString problem = configurations.readEntries(
            entries,
            plantList ? PlantConfigurations::inList(listPath)
                      : [&files](const EncoderList::Entry &) { return files.first(); },
            &notes);
        for (const QString &note : std::as_const(notes))
            Output::error(note);
        if (!problem.isEmpty())
            return refuse(problem);
        QStringList inputs;
        if (plantList)
            inputs << listPath;
        if (parser.isSet(retryOption))
            inputs << parser.value(retryOption);
        inputs << configurations.paths();

        // Neither output may cost an input file, nor be an encoder's line: checked before
        // either is opened.
        for (const auto &[option, path] : {std::pair{QStringLiteral("--log"), logPath},
                                           std::pair{QStringLiteral("--report"), reportPath}}) {
            if (reportToOutput && option == QLatin1String("--report"))
                continue;
            if (const QString input = LogFile::clashingInput(path, inputs); !input.isEmpty())
                return usage(
                    QStringLiteral("%1 %2 is the input file %3: refused").arg(option, path, input));
            for (const EncoderList::Entry &entry : std::as_const(entries)) {
                if (!path.isEmpty() &&
                    EncoderList::deviceKey(path) == EncoderList::deviceKey(entry.device))
                    return usage(QStringLiteral("%1 %2 is the device of encoder \"%3\": refused")
                                     .arg(option, path, entry.name));
            }
        }

        const bool single = !plantList && entries.size() == 1 && !check;
        if (dryRun) {
            if (entries.isEmpty() || single) {
                for (const CtrlACommand &command : configurations.of(file).commands)
                    Output::line(QString::fromLatin1(command.wireBytes().toHex().toUpper()));
            } else {
                for (const EncoderList::Entry &entry : std::as_const(entries)) {
                    Output::line(entry.name + QLatin1Char(':'));
                    for (const CtrlACommand &command :
                         configurations.of(entry.configuration).commands)
                        Output::line(QStringLiteral("  ") +
                                     QString::fromLatin1(command.wireBytes().toHex().toUpper()));
                }
            }
            return int(Success);
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
                                          check ? QList<CtrlACommand>()
                                                : configurations.of(entry.configuration).commands};
        Output::setLinesToError(reportToOutput);
        // Each session reports its own outcome under its encoder's name.
        PlantRun run(encoders, jobs);
        if (log.isOpen())
            run.setTrafficLog(&log, !single);
        PlantOutput output(run, single, !parser.isSet(quietOption) && ::isatty(STDERR_FILENO));
        QString reportProblem;
        const auto writeReport = [&] {
            return ReportFile::write(reportPath, run.report(), &reportProblem);
        };
        // The report holds each encoder as soon as it is done: a run that is killed leaves
        // what it did.
        if (parser.isSet(reportOption) && !reportToOutput)
            QObject::connect(&run, &PlantRun::encoderFinished, &run, [&] { writeReport(); });
        SignalWatch interrupts;
        QObject::connect(&interrupts, &SignalWatch::received, &run, [&](int signal) {
            if (!run.isInterrupted())
                Output::error(SignalWatch::name(signal) +
                              QStringLiteral(": no further encoder is started; the commands "
                                             "under way are let finish"));
            run.interrupt(SignalWatch::exitStatus(signal));
        });
        QObject::connect(&run, &PlantRun::finished, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        run.start();
        app.exec();
        if (!single)
            output.printSummary();

        int exitCode = run.exitStatus();
        if (!log.finish()) {
            Output::error(log.fileName() +
                          QStringLiteral(": the traffic log could not be written: ") +
                          log.errorString());
            if (exitCode == Success)
                exitCode = UsageError;
        }
        if (parser.isSet(reportOption) && !writeReport()) {
            Output::error(reportPath + QStringLiteral(": the report could not be written: ") +
                          reportProblem);
            if (exitCode == Success)
                exitCode = UsageError;
        }
        return exitCode;
    };
    int exitCode = send();
    if (!Output::writeProblem().isEmpty()) {
        Output::error(QStringLiteral("standard output could not be written: ") +
                      Output::writeProblem());
        if (exitCode == Success)
            exitCode = UsageError;
    }
    return exitCode;
}
