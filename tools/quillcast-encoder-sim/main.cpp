// Plays an encoder on a pseudo-terminal. The first line on standard output is the device path
// to open as the encoder's serial port; the program then serves it until SIGTERM or SIGINT.
//
// --log FILE: one line per received command, written at once:
//   <milliseconds since the epoch> TAB <bytes in hex, e.g. 01 39 0D> TAB <readable, e.g.
//   <SOH>9<CR>>
// --log-chunks FILE: one line per block read from the line (shows how a command was paced):
//   <milliseconds since the epoch> TAB <byte count> TAB <hex> TAB <readable>
// --line-rate BAUD: behave as at the far end of a line of BAUD bits per second, both ways: a
//   received byte counts as arrived one character time (10 bits) after the one before it, a
//   command is answered only once its last byte has arrived, and replies go out no faster.
// --reply-delay MS: wait MS milliseconds between a command's arrival and its reply.
// --tcp PORT: serve the encoder as a serial device server does, on TCP port PORT of 127.0.0.1
//   only (0: any free port), instead of a pseudo-terminal; the first line is then the address
//   tcp://127.0.0.1:PORT. There is no line to model, so --line-rate is refused.
// --link PATH: keep a symbolic link PATH pointing at the device, also across a hang-up.
//
// Faults on request (commands counted from 1 as they arrive, readiness queries included):
// --hangup-after N: the N-th command closes the line, as a pulled cable; a new line opens at
//   once (open it through --link).
// --garbage RATE: before each reply, with chance RATE (0..1), 1 to 64 random bytes come first,
//   as line noise between two replies.
// --huge-reply BYTES: the article list is padded with articles to at least BYTES bytes.
// --no-prompt-after N: the N-th command's reply lacks its prompt, and nothing more is answered
//   until the next readiness query.
// --reset-after N: the N-th command is lost to a power cycle; the start-up banner comes
//   instead of its reply.

#include "PtyServer.h"
#include "TcpServer.h"
#include "common/GlobalVars.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillcast-encoder-sim"));
    QCoreApplication::setApplicationVersion(GlobalVars::VersionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated closed-caption encoder on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Write one line per received command to <file>."),
        QStringLiteral("file"));
    const QCommandLineOption chunkOption(
        QStringLiteral("log-chunks"),
        QStringLiteral("Write one line per block of bytes read from the line to <file>."),
        QStringLiteral("file"));
    const QCommandLineOption rateOption(
        QStringLiteral("line-rate"),
        QStringLiteral("Model a line of <baud> bits per second in both directions: a command is "
                       "handled only once its last byte has crossed it, and replies go out no "
                       "faster."),
        QStringLiteral("baud"));
    const QCommandLineOption delayOption(QStringLiteral("reply-delay"),
                                         QStringLiteral("Wait <ms> milliseconds before replying."),
                                         QStringLiteral("ms"));
    const QCommandLineOption silentOption(QStringLiteral("silent"), QStringLiteral("Never reply."));
    const QCommandLineOption noMakerOption(QStringLiteral("no-maker"),
                                           QStringLiteral("Identify without the maker's name."));
    const QCommandLineOption tcpOption(
        QStringLiteral("tcp"),
        QStringLiteral("Listen on TCP <port> of 127.0.0.1 (0: any free port) instead of a "
                       "pseudo-terminal; the first line is then tcp://127.0.0.1:<port>."),
        QStringLiteral("port"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Keep a symbolic link <path> to the device, also across a hang-up."),
        QStringLiteral("path"));
    const QCommandLineOption hangupOption(
        QStringLiteral("hangup-after"),
        QStringLiteral("Close the line when the <n>-th command arrives, then open a new one."),
        QStringLiteral("n"));
    const QCommandLineOption garbageOption(
        QStringLiteral("garbage"),
        QStringLiteral("Before each reply, with chance <rate> (0..1), send random bytes."),
        QStringLiteral("rate"));
    const QCommandLineOption hugeOption(
        QStringLiteral("huge-reply"),
        QStringLiteral("Pad the article list to at least <bytes> bytes."), QStringLiteral("bytes"));
    const QCommandLineOption noPromptOption(
        QStringLiteral("no-prompt-after"),
        QStringLiteral("Answer the <n>-th command without the prompt, then nothing until the "
                       "next readiness query."),
        QStringLiteral("n"));
    const QCommandLineOption resetOption(
        QStringLiteral("reset-after"),
        QStringLiteral("Lose the <n>-th command to a power cycle and send the start-up banner."),
        QStringLiteral("n"));
    parser.addOptions({logOption, chunkOption, rateOption, delayOption, silentOption, noMakerOption,
                       tcpOption, linkOption, hangupOption, garbageOption, hugeOption,
                       noPromptOption, resetOption});
    parser.process(app);

    PtyServer::Options options;
    options.logPath = parser.value(logOption);
    options.chunkLogPath = parser.value(chunkOption);
    options.lineRate = parser.value(rateOption).toInt();
    options.replyDelay = parser.value(delayOption).toInt();
    options.silent = parser.isSet(silentOption);
    options.makerName = !parser.isSet(noMakerOption);
    options.linkPath = parser.value(linkOption);
    EncoderSimulator::Faults &faults = options.faults;
    faults.hangupAfter = parser.value(hangupOption).toInt();
    faults.garbageRate = parser.value(garbageOption).toDouble();
    faults.hugeReply = parser.value(hugeOption).toInt();
    faults.noPromptAfter = parser.value(noPromptOption).toInt();
    faults.resetAfter = parser.value(resetOption).toInt();
    if (options.lineRate < 0 || options.replyDelay < 0 || faults.hangupAfter < 0 ||
        faults.hugeReply < 0 || faults.noPromptAfter < 0 || faults.resetAfter < 0) {
        std::fprintf(stderr, "quillcast-encoder-sim: negative numbers are not allowed\n");
        return 2;
    }
    if (faults.garbageRate < 0 || faults.garbageRate > 1) {
        std::fprintf(stderr, "quillcast-encoder-sim: --garbage takes a rate from 0 to 1\n");
        return 2;
    }

    // Signals only write to a pipe; the event loop notices it and quits in an orderly way.
    if (::pipe(signalPipe) != 0) {
        std::perror("quillcast-encoder-sim: pipe");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    bool tcpPortValid = false;
    const uint tcpPort = parser.value(tcpOption).toUInt(&tcpPortValid);
    if (parser.isSet(tcpOption) && (!tcpPortValid || tcpPort > 65535 || options.lineRate > 0)) {
        std::fprintf(stderr, "quillcast-encoder-sim: --tcp takes a port from 0 to 65535 and "
                             "no --line-rate\n");
        return 2;
    }
    PtyServer server(options);
    TcpServer tcpServer(options);
    const bool started =
        parser.isSet(tcpOption) ? tcpServer.start(quint16(tcpPort)) : server.start();
    if (!started) {
        std::fprintf(
            stderr, "quillcast-encoder-sim: %s\n",
            qPrintable(parser.isSet(tcpOption) ? tcpServer.errorString() : server.errorString()));
        return 1;
    }
    std::printf("%s\n",
                qPrintable(parser.isSet(tcpOption) ? tcpServer.address() : server.slavePath()));
    std::fflush(stdout);

    const int result = app.exec();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    return result;
}
