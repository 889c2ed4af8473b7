// Plays encoders on pseudo-terminals. The first line on standard output is the device path
// to open as the encoder's serial port (with --count N, the first N lines are the N devices);
// the program then serves them until SIGTERM or SIGINT.
//
// --log FILE: one line per received command, written at once:
//   <milliseconds since the epoch> TAB <bytes in hex, e.g. 01 39 0D> TAB <readable, e.g.
//   <SOH>9<CR>>
// --log-chunks FILE: one line per block read from the line (shows how a command was paced):
//   <milliseconds since the epoch> TAB <byte count> TAB <hex> TAB <readable>
// --line-rate BAUD: behave as at the far end of a line of BAUD bits per second, both ways: a
//   received byte counts as arrived one character time (10 bits) after the one before it, a
//   command is answered only once its last byte has arrived, and replies go out no faster.
//   With --tcp this is the serial line behind the device server, which passes on what the line
//   brought at most every 20 ms.
// --reply-delay MS: wait MS milliseconds between a command's arrival and its reply.
// --tcp PORT: serve the encoder as a serial device server does, on TCP port PORT of 127.0.0.1
//   only (0: any free port), instead of a pseudo-terminal; the first line is then the address
//   tcp://127.0.0.1:PORT.
// --link PATH: keep a symbolic link PATH pointing at the device, also across a hang-up.
// --count N: serve N encoders from this one process, each with its own state and its own
//   faults (counted per encoder), on N pseudo-terminals or, with --tcp PORT, on the ports PORT
//   to PORT+N-1 (--tcp 0: N free ports). With N above 1 every path option names one file per
//   encoder: FILE.1 to FILE.N for --log and --log-chunks, PATH.1 to PATH.N for --link, in the
//   order of the printed lines. The noise of --garbage is seeded with the encoder's number.
//   The open-file limit is raised as far as the system allows (two descriptors per encoder).
//
// Faults on request (commands counted from 1 as they arrive, readiness queries included), over
// a pseudo-terminal and over TCP alike:
// --hangup-after N: the N-th command closes the line, as a pulled cable; a new line opens at
//   once (open it through --link). Over TCP the client's connection is closed; the port keeps
//   listening and the next connection is a new line.
// --garbage RATE: before each reply, with chance RATE (0..1), 1 to 64 random bytes come first,
//   as line noise between two replies.
// --huge-reply BYTES: the article list is padded with articles to at least BYTES bytes.
// --no-prompt-after N: the N-th command's reply lacks its prompt, and nothing more is answered
//   until the next readiness query.
// --reset-after N: the N-th command is lost to a power cycle; the start-up banner comes
//   instead of its reply.

#include "PtyServer.h"
#include "TcpServer.h"
#include "core/common/AppInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// Many encoders need many descriptors: take all the system grants this user.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The path option of encoder number index (from 1) of count.
QString perEncoder(const QString &path, int index, int count)
{
    return path.isEmpty() || count == 1 ? path : path + QLatin1Char('.') + QString::number(index);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillcast-encoder-sim"));
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated closed-caption encoders on pseudo-terminals or TCP ports of\n"
                       "127.0.0.1. The first lines printed are the devices (or addresses), one\n"
                       "per encoder. With --count above 1, --log, --log-chunks and --link name\n"
                       "one file per encoder: <file>.1 to <file>.N, in the printed order."));
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
                       "pseudo-terminal; the first line is then tcp://127.0.0.1:<port>. Faults "
                       "apply too; a hang-up closes the connection."),
        QStringLiteral("port"));
    const QCommandLineOption countOption(
        QStringLiteral("count"),
        QStringLiteral("Serve <n> encoders, each with its own state (with --tcp: on <port> to "
                       "<port>+<n>-1, or free ports)."),
        QStringLiteral("n"), QStringLiteral("1"));
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
                       tcpOption, countOption, linkOption, hangupOption, garbageOption, hugeOption,
                       noPromptOption, resetOption});
    parser.process(app);

    SimulatedLine::Options options;
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
    bool countValid = false;
    const int count = parser.value(countOption).toInt(&countValid);
    if (!countValid || count < 1) {
        std::fprintf(stderr, "quillcast-encoder-sim: --count takes a number from 1\n");
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

    const bool tcp = parser.isSet(tcpOption);
    bool tcpPortValid = false;
    const uint tcpPort = parser.value(tcpOption).toUInt(&tcpPortValid);
    if (tcp && (!tcpPortValid || tcpPort > 65535 || (tcpPort > 0 && tcpPort + count - 1 > 65535))) {
        std::fprintf(stderr, "quillcast-encoder-sim: --tcp takes a port from 0 to 65535, and "
                             "room above it for --count ports\n");
        return 2;
    }

    raiseOpenFileLimit();
    std::vector<std::unique_ptr<PtyServer>> ptyServers;
    std::vector<std::unique_ptr<TcpServer>> tcpServers;
    QStringList devices;
    for (int index = 1; index <= count; ++index) {
        SimulatedLine::Options own = options;
        own.logPath = perEncoder(options.logPath, index, count);
        own.chunkLogPath = perEncoder(options.chunkLogPath, index, count);
        own.linkPath = perEncoder(options.linkPath, index, count);
        own.faults.seed = quint32(index);
        QString error;
        if (tcp) {
            tcpServers.push_back(std::make_unique<TcpServer>(own));
            TcpServer &server = *tcpServers.back();
            if (server.start(quint16(tcpPort == 0 ? 0 : tcpPort + uint(index) - 1)))
                devices << server.address();
            else
                error = server.errorString();
        } else {
            ptyServers.push_back(std::make_unique<PtyServer>(own));
            PtyServer &server = *ptyServers.back();
            if (server.start())
                devices << server.slavePath();
            else
                error = server.errorString();
        }
        if (!error.isEmpty()) {
            std::fprintf(stderr, "quillcast-encoder-sim: encoder %d: %s\n", index,
                         qPrintable(error));
            return 1;
        }
    }
    for (const QString &device : std::as_const(devices))
        std::printf("%s\n", qPrintable(device));
    std::fflush(stdout);

    const int result = app.exec();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    return result;
}
