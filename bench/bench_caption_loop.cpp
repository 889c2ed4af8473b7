// How closely the caption loop keeps to its schedule on a real encoder line.
//
// Starts tools/quillcast-encoder-sim on a pseudo-terminal with its command log, loops a file of
// two captions with a line delay and a loop delay of 1 s through the Sequencer, and reads back
// from the log when each caption command arrived. Send k is due 1 ms + 1000 ms x k after Start
// (by the wall clock the log uses); each send also waits for the encoder's answer to the
// readiness query before it. The figures are the largest and the mean distance from that
// schedule, and the drift, the difference between the mean error of the last ten sends and of
// the first ten. The loop timer's own
// lateness is shown beside them: the rest is the handshake on the line and process scheduling.
//
//   bench_caption_loop [--sends N]     (N at least 2; default 61)

#include "LineSettings.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/looping/LoopTimer.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/session/SequencerLoopLink.h"
#include "core/transport/PortLine.h"
#include "ui/DialogService.h"
#include "ui/LinkMessages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kIntervalMs = 1000;

class PrintedDialogs : public DialogService
{
public:
    int count = 0;
    Answer message(QWidget *, const QString &text, Buttons, Icon, const QString &) override
    {
        ++count;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Answer::Ok;
    }
};

QString startSimulator(QProcess &sim, const QString &log)
{
    sim.setProgram(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim"));
    sim.setArguments({QStringLiteral("--log"), log});
    sim.start();
    if (!sim.waitForStarted(5000))
        return QString();
    QDeadlineTimer deadline(10000);
    while (!sim.canReadLine() && !deadline.hasExpired() && sim.state() == QProcess::Running)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

template <typename Done> bool waitFor(Done done, const QDeadlineTimer &deadline)
{
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// Arrival times (ms since the epoch) of the caption commands in the simulator's log.
QList<qint64> captionTimes(const QString &log)
{
    QList<qint64> times;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return times;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.contains("<SOH>2 C1<CR>"))
            times << line.left(line.indexOf('\t')).toLongLong();
    }
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int sendsArg = args.indexOf(QStringLiteral("--sends"));
    const int sends = sendsArg > 0 ? qMax(2, args.value(sendsArg + 1).toInt()) : 61;

    PrintedDialogs dialogs;
    DialogService::setInstance(&dialogs);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("encoder.log"));
    QProcess sim;
    const QString device = startSimulator(sim, log);
    if (device.isEmpty()) {
        std::fprintf(stderr, "could not start the encoder simulator\n");
        return 1;
    }

    Sequencer sequencer(new EncoderChannel(new PortLine(QStringList{device})));
    new LinkMessages(&sequencer, nullptr); // the window's boxes, counted by PrintedDialogs
    sequencer.channel()->setCOMSettings(lineSettings());
    SequencerLoopLink link(&sequencer);
    QtLoopTimer timer(nullptr, QStringLiteral("timerCCLoopingTimeout"));
    SteadyLoopClock clock;
    CaptionLoopScheduler loop(&timer, &clock, &link);
    int queued = 0;
    QList<qint64> tickTimes;
    QObject::connect(&loop, &CaptionLoopScheduler::lineQueued, [&] {
        tickTimes << clock.msecs();
        if (++queued == sends)
            loop.stop();
    });

    const QDeadlineTimer deadline(5000 + qint64(sends) * kIntervalMs * 2);
    sequencer.toggleConnection();
    bool ok =
        waitFor([&] { return sequencer.linkState() == Sequencer::LinkState::Connected; }, deadline);
    qint64 startedAt = 0; // wall clock, as in the simulator's log
    if (ok) {
        // Two captions of the same length, so that every command takes as long on the line.
        startedAt = QDateTime::currentMSecsSinceEpoch();
        loop.start({QStringLiteral("First caption"), QStringLiteral("Other caption")},
                   {kIntervalMs / 1000, kIntervalMs / 1000, 1}, CaptionLoopScheduler::Continuous);
        ok = waitFor(
            [&] {
                return queued == sends && sequencer.commandQueue().isEmpty() &&
                       !sequencer.timerCommTimeout()->isActive();
            },
            deadline);
    }
    sequencer.releaseLink();
    sim.terminate();
    sim.waitForFinished(3000);
    DialogService::setInstance(nullptr);

    const QList<qint64> times = captionTimes(log);
    if (!ok || dialogs.count != 0 || times.size() != sends) {
        std::fprintf(stderr, "the loop did not complete: %lld of %d sends logged\n",
                     static_cast<long long>(times.size()), sends);
        return 1;
    }
    double largest = 0;
    double least = 1e9; // the quickest handshake
    double sum = 0;
    qint64 tickLate = 0; // the loop timer's own share: how late a tick ran on its schedule
    QList<double> errors;
    for (int k = 0; k < times.size(); ++k) {
        // The first tick is due 1 ms after Start, each later one an interval after it.
        const double error = double(times[k] - (startedAt + 1 + qint64(k) * kIntervalMs));
        least = qMin(least, error);
        errors << error;
        tickLate = qMax(tickLate, tickTimes[k] - (tickTimes.first() + qint64(k) * kIntervalMs));
        largest = qMax(largest, std::fabs(error));
        sum += std::fabs(error);
    }
    const int window = qMin(10, int(errors.size()));
    double head = 0;
    double tail = 0;
    for (int i = 0; i < window; ++i) {
        head += errors[i];
        tail += errors[errors.size() - 1 - i];
    }
    std::printf("Caption loop, line and loop delay %d ms, %d sends\n", kIntervalMs, sends);
    std::printf("  largest schedule error %.0f ms\n", largest);
    std::printf("  mean schedule error    %.2f ms\n", sum / errors.size());
    std::printf("  least schedule error   %.0f ms (the quickest readiness handshake)\n", least);
    std::printf("  largest tick lateness  %lld ms (the loop timer alone)\n",
                static_cast<long long>(tickLate));
    std::printf("  drift (last %d - first %d) %.2f ms\n", window, window, (tail - head) / window);
    return 0;
}
