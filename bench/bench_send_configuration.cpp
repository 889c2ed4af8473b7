// How long "Send Configuration" takes against an encoder on a 1200 baud line, compared with
// the time the bytes themselves need on that line.
//
// Starts tools/quillcast-encoder-sim on a pseudo-terminal (a 1200 baud line in both directions,
// each reply after a fixed delay), connects a Sequencer to it at 1200,O,7,1, presses Send
// Configuration with every packet of a full configuration enabled, and prints the time from the
// click to the last reply, the wire time (bytes both ways x 10 bits / baud + the encoder's reply
// delays) and their ratio.
//
//   bench_send_configuration [--reply-delay ms] [--traffic-log closed|open]
//
// --traffic-log closed records the traffic in the window's log model (as the program always
// does); open also shows the Traffic Log window, which follows every new line.

#include "LineSettings.h"
#include "core/commands/ControlProcessing.h"
#include "core/common/Clock.h"
#include "core/config/Configuration.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/session/TrafficLog.h"
#include "core/transport/PortLine.h"
#include "ui/DialogService.h"
#include "ui/LinkMessages.h"
#include "ui/TrafficLogWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimeZone>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

constexpr int kBaud = 1200;
constexpr int kDeadlineMs = 120000;

// No box may stop a benchmark: every message is printed and answered at once.
class PrintedDialogs : public DialogService
{
public:
    QStringList texts;
    Answer message(QWidget *, const QString &text, Buttons buttons, Icon, const QString &) override
    {
        texts << text;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
    }
    bool openUrl(const QUrl &) override { return true; }
};

// Every packet inserted, the clock set, decoder and blocking settings sent, a Web TV link and
// a copy-management packet: the longest configuration an operator sends.
Configuration fullConfiguration()
{
    Configuration c =
        Configuration::defaults(DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                            QStringLiteral("1234")},
                                false);
    c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = 1;
    c.oNetworkName = c.oCallLetters = c.oTSID = 0;
    c.chCtrlTimeOfDay = c.chCtrlTimeZone = 1;
    c.oTimeOfDay = c.oTimezone = 0;
    c.chSyncClock = 1;
    c.chCtrlProgramName = 1;
    c.oProgramName = 0;
    c.txtProgramName = QStringLiteral("Evening News");
    c.chCtrlProgramRating = 1;
    c.oProgramRating = 0;
    c.cmbProgRatingSys = 1;
    c.cmbProgramRating = 3;
    c.chProgramRatingFlags = {0, 1, 0, 1, 0};
    c.chDecoderSend = 1;
    c.oDecoderSettings = 0;
    c.chBlockingSend = 1;
    c.chBlockingSettings = {0, 1, 0, 0, 0, 0, 1, 0, 0};
    c.chCtrlWebTV = 1;
    c.oWebTV = 0;
    c.txtWebURL = QStringLiteral("http://www.example.com/news");
    c.txtWebDescription = QStringLiteral("Tonight's headlines");
    c.chCtrlCGMS = 1;
    c.oCGMS = 0;
    c.cmbCGMS = 1;
    return c;
}

QString startSimulator(QProcess &sim, int replyDelayMs)
{
    sim.setProgram(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim"));
    sim.setArguments({QStringLiteral("--line-rate"), QString::number(kBaud),
                      QStringLiteral("--reply-delay"), QString::number(replyDelayMs)});
    sim.start();
    if (!sim.waitForStarted(5000))
        return QString();
    QDeadlineTimer deadline(10000);
    while (!sim.canReadLine() && !deadline.hasExpired() && sim.state() == QProcess::Running)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

void stopSimulator(QProcess &sim)
{
    if (sim.state() == QProcess::NotRunning)
        return;
    sim.terminate();
    if (!sim.waitForFinished(3000)) {
        sim.kill();
        sim.waitForFinished(3000);
    }
}

// Runs the event loop until done() or the deadline.
template <typename Done> bool waitFor(Done done, const QDeadlineTimer &deadline)
{
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int replyDelayMs = 20;
    const QStringList args = QCoreApplication::arguments();
    const int delayArg = args.indexOf(QStringLiteral("--reply-delay"));
    if (delayArg > 0 && delayArg + 1 < args.size())
        replyDelayMs = args.at(delayArg + 1).toInt();

    const int logArg = args.indexOf(QStringLiteral("--traffic-log"));
    const QString trafficLog =
        logArg > 0 && logArg + 1 < args.size() ? args.at(logArg + 1) : QStringLiteral("none");
    if (trafficLog != QLatin1String("none") && trafficLog != QLatin1String("closed") &&
        trafficLog != QLatin1String("open")) {
        std::fprintf(stderr, "--traffic-log takes closed or open\n");
        return 1;
    }

    PrintedDialogs dialogs;
    DialogService::setInstance(&dialogs);

    QProcess sim;
    const QString device = startSimulator(sim, replyDelayMs);
    if (device.isEmpty()) {
        std::fprintf(stderr, "could not start the encoder simulator: %s\n",
                     qPrintable(sim.errorString()));
        stopSimulator(sim);
        return 1;
    }

    QWidget window;
    Sequencer sequencer(new EncoderChannel(new PortLine(QStringList{device})));
    new LinkMessages(&sequencer, &window); // the window's boxes, printed by PrintedDialogs
    sequencer.channel()->setCOMSettings(lineSettings(1, kBaud, "O", 7, 1));

    TrafficLog log;
    TrafficLogWindow logWindow(&log);
    if (trafficLog != QLatin1String("none"))
        log.attach(&sequencer);
    if (trafficLog == QLatin1String("open"))
        logWindow.show();

    const QDeadlineTimer deadline(kDeadlineMs);
    sequencer.toggleConnection();
    if (!waitFor([&] { return sequencer.linkState() == Sequencer::LinkState::Connected; },
                 deadline)) {
        std::fprintf(stderr, "the encoder did not answer the connection\n");
        stopSimulator(sim);
        return 1;
    }

    const Configuration configuration = fullConfiguration();
    ControlProcessing::Context context;
    context.zone =
        LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());
    int commands = 0;
    sequencer.setConfigurationBuilder([&] {
        ControlProcessing(configuration, context, [&](const CtrlACommand &command) {
            sequencer.addCommand(command);
            ++commands;
        }).buildConfiguration();
    });

    qint64 bytesOut = 0;
    qint64 bytesIn = 0;
    int replies = 0;
    qint64 lastReplyMs = 0;
    QElapsedTimer clock;
    sequencer.channel()->port()->setWriteObserver(
        [&](const QByteArray &piece) { bytesOut += piece.size(); });
    QObject::connect(&sequencer, &Sequencer::replyReceived, [&](const QString &response) {
        bytesIn += response.size();
        ++replies;
        lastReplyMs = clock.elapsed();
    });

    clock.start();
    sequencer.sendConfiguration();
    const bool finished = waitFor(
        [&] {
            return sequencer.commandQueue().isEmpty() && !sequencer.timerCommTimeout()->isActive();
        },
        deadline);
    stopSimulator(sim);
    DialogService::setInstance(nullptr);

    if (!finished || !dialogs.texts.isEmpty() ||
        sequencer.linkState() == Sequencer::LinkState::Disconnected) {
        std::fprintf(stderr, "the configuration was not sent completely\n");
        return 1;
    }

    // The simulator models the line both ways: a command is handled only once its last byte
    // has crossed the line, and its reply goes out at the line rate after the reply delay. So
    // the wire time is the least any program could need, and the ratio is the program's own
    // overhead (turn-around between reply and next command, the 20 ms pauses of long writes).
    const double wireMs = (bytesOut + bytesIn) * 10.0 * 1000.0 / kBaud + replies * replyDelayMs;
    std::printf("Send Configuration at %d baud, reply delay %d ms, traffic log %s\n", kBaud,
                replyDelayMs, qPrintable(trafficLog));
    std::printf("  commands               %d (+ readiness query)\n", commands);
    std::printf("  encoder replies        %d\n", replies);
    std::printf("  bytes sent             %lld\n", static_cast<long long>(bytesOut));
    std::printf("  bytes received         %lld\n", static_cast<long long>(bytesIn));
    std::printf("  click to last reply    %lld ms\n", static_cast<long long>(lastReplyMs));
    std::printf("  wire time              %.0f ms (bytes both ways x 10 / baud + reply delays)\n",
                wireMs);
    std::printf("  ratio                  %.2f\n", lastReplyMs / wireMs);
    return 0;
}
