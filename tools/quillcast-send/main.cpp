// Sends a saved configuration file to one or more encoders without the window:
//
//   quillcast-send FILE.qcf --device PATH [--device PATH ...]
//                  [--baud N --parity E|O|N --data-bits 7|8] [--dry-run] [--log FILE]
//   quillcast-send --loop FILE.txt --device PATH (--for HH:MM:SS | --continuous) [--channel N]
//
// The file is loaded onto the same defaults as the window's, built by the same command builders
// and sent by the same sequencer. Exit status: 0 every command answered (on every device),
// 1 wrong usage (or the log file cannot be written), 2 the file cannot be read or is not a valid
// configuration, 3 a port cannot be opened, 4 an encoder did not answer in time (or, looping, its
// port was lost). With several devices each is sent to in turn and the status is that of the first
// failure.

#include "LoopSession.h"
#include "Output.h"
#include "SendSession.h"
#include "StderrDialogs.h"
#include "commands/ControlProcessing.h"
#include "common/Clock.h"
#include "common/GlobalVars.h"
#include "common/LocalTimeZoneSnapshot.h"
#include "config/ConfigurationFile.h"
#include "config/DefaultInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTimeZone>

namespace {

enum ExitCode
{
    Success = 0,
    UsageError = 1,
    FileError = 2
};

struct LineOptions
{
    COMSettings settings;
    QString problem; // "" when the options are valid
};

LineOptions readLineOptions(const QCommandLineParser &parser, const QCommandLineOption &baud,
                            const QCommandLineOption &parity, const QCommandLineOption &dataBits)
{
    // The encoder's own serial settings are the defaults: 1200 baud, odd parity, 7 data bits,
    // 1 stop bit.
    LineOptions line;
    bool ok = true;
    const int baudRate = parser.value(baud).toInt(&ok);
    if (!ok || baudRate <= 0)
        line.problem = QStringLiteral("--baud must be a positive number");
    const QString parityLetter = parser.value(parity).toUpper();
    if (parityLetter != QLatin1String("E") && parityLetter != QLatin1String("O") &&
        parityLetter != QLatin1String("N"))
        line.problem = QStringLiteral("--parity must be E, O or N");
    const QString bits = parser.value(dataBits);
    if (bits != QLatin1String("7") && bits != QLatin1String("8"))
        line.problem = QStringLiteral("--data-bits must be 7 or 8");
    line.settings.baud = baudRate;
    line.settings.parity = parityLetter;
    line.settings.dataBits = static_cast<qint16>(bits.toInt());
    line.settings.StopBits = 1;
    return line;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillcast-send"));
    QCoreApplication::setApplicationVersion(GlobalVars::VersionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a Quillcast configuration file to closed-caption encoders, one device after the\n"
        "other, exactly as the window's Send Configuration does. Each command sent (>) and each\n"
        "reply received (<) is printed on its own line with a time stamp.\n"
        "\n"
        "Exit status:\n"
        "  0  every command was answered on every device\n"
        "  1  wrong usage, or the --log file cannot be written\n"
        "  2  the file cannot be read or is not a configuration file\n"
        "  3  a serial port could not be opened\n"
        "  4  an encoder did not answer in time\n"
        "With several devices the status is that of the first one that failed.\n"
        "\n"
        "With --loop the captions of a caption loop file are sent to one encoder instead, as the\n"
        "CC Looping tab does, each printed with a time stamp as it is queued; the loop ends\n"
        "with status 0 when its time is up or on Ctrl-C, after the line in flight."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE.qcf"),
                                 QStringLiteral("The configuration file to send."));
    const QCommandLineOption deviceOption(
        QStringLiteral("device"),
        QStringLiteral("Serial device of an encoder, e.g. /dev/ttyUSB0, or the port of a serial "
                       "device server, e.g. tcp://192.168.1.20:4001; repeat the option to send "
                       "to several encoders in turn."),
        QStringLiteral("path"));
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
                       "in hexadecimal, and open no port."));
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
                       "time-outs, one line each, as the window's Traffic Log shows them."),
        QStringLiteral("file"));
    parser.addOptions({deviceOption, baudOption, parityOption, dataBitsOption, dryRunOption,
                       logOption, loopOption, forOption, continuousOption, channelOption});
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    const QStringList devices = parser.values(deviceOption);
    const bool dryRun = parser.isSet(dryRunOption);
    const LineOptions line = readLineOptions(parser, baudOption, parityOption, dataBitsOption);
    if (parser.isSet(loopOption)) {
        if (!files.isEmpty() || dryRun || !line.problem.isEmpty()) {
            Output::error(
                line.problem.isEmpty()
                    ? QStringLiteral("--loop takes no configuration file and no --dry-run")
                    : line.problem);
            return UsageError;
        }
        StderrDialogs dialogs; // the sequencer's boxes; the session reports in one line
        return LoopSession::command(
            {parser.value(loopOption), devices, line.settings, parser.value(forOption),
             parser.isSet(continuousOption),
             parser.isSet(channelOption) ? parser.value(channelOption) : QString()});
    }
    if (files.size() != 1 || (devices.isEmpty() && !dryRun) || !line.problem.isEmpty()) {
        Output::error(line.problem.isEmpty()
                          ? QStringLiteral("give one configuration file and at least one "
                                           "--device (or --dry-run); see --help")
                          : line.problem);
        return UsageError;
    }

    StderrDialogs dialogs;

    // The window's defaults: the plant's identification from the settings store and the
    // daylight state of this moment, with the year lists counted from today.
    const LocalTimeZoneSnapshot zone =
        LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());
    Configuration configuration =
        Configuration::defaults(DefaultInfo::LoadDefaultInfo(nullptr), zone.InDaylightTime);
    const bool loaded = ConfigurationFile::LoadConfiguration(files.first(), configuration, nullptr);
    const QStringList loadMessages = dialogs.takeMessages();
    if (!loaded) {
        // The last message is the one that ended the load.
        Output::error(files.first() + QStringLiteral(": ") +
                      (loadMessages.isEmpty() ? QStringLiteral("not a readable configuration file")
                                              : loadMessages.last()));
        return FileError;
    }
    // A load that went through may still have something to say (an older file converted).
    for (const QString &message : loadMessages)
        Output::error(files.first() + QStringLiteral(": ") + message);

    QList<CtrlACommand> commands;
    ControlProcessing::Context context;
    context.zone = zone;
    ControlProcessing(configuration, context, [&commands](const CtrlACommand &command) {
        commands << command;
    }).BuildConfiguration();

    if (dryRun) {
        for (const CtrlACommand &command : std::as_const(commands))
            Output::line(QString::fromLatin1(command.wireBytes().toHex().toUpper()));
        return Success;
    }

    QFile trafficLog(parser.value(logOption));
    if (parser.isSet(logOption) &&
        !trafficLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        Output::error(trafficLog.fileName() + QStringLiteral(": ") + trafficLog.errorString());
        return UsageError;
    }

    int exitCode = Success;
    for (const QString &device : devices) {
        SendSession session(device, line.settings, commands);
        if (trafficLog.isOpen())
            session.setTrafficLog(&trafficLog);
        const SendSession::Result result = session.run();
        // The window's message boxes of a failed send are replaced by the one line below.
        dialogs.takeMessages();
        switch (result) {
        case SendSession::Answered:
            Output::line(
                QStringLiteral("%1: all %2 commands answered").arg(device).arg(commands.size()));
            break;
        case SendSession::PortNotOpened:
            Output::error(QStringLiteral("%1: the port could not be opened").arg(device));
            break;
        case SendSession::TimedOut:
            Output::error(QStringLiteral("%1: the encoder did not answer in time").arg(device));
            break;
        }
        if (exitCode == Success)
            exitCode = result;
    }
    return exitCode;
}
