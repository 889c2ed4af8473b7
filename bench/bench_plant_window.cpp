// How responsive the window stays while the plant window sends to a big plant at once.
//
// Starts one quillcast-encoder-sim serving N encoders over TCP (--count N --tcp 0 --line-rate
// 1200: 1200 baud lines behind device servers), opens a list of all N in the plant window and
// presses Send to All. Meanwhile a one-second timer ticks, as the main window's clock does, and
// a 10 ms timer measures how late the event loop serves it. Prints the encoders programmed, the
// time of the send, the worst gap between two one-second ticks and the worst lateness of the
// 10 ms timer (the longest the event loop was stalled).
//
//   bench_plant_window [N]        (default 500; run with QT_QPA_PLATFORM=offscreen or xvfb-run)
//
// The settings store is a temporary one. The simulator is stopped however the benchmark ends:
// on return, on SIGINT, SIGTERM or SIGHUP, and by the kernel when the benchmark dies.

#include "core/common/AppInfo.h"
#include "core/config/DefaultInfo.h"
#include "core/session/PlantRun.h"
#include "ui/DialogService.h"
#include "ui/MainWindow.h"
#include "ui/plant/PlantTableModel.h"
#include "ui/plant/PlantWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

namespace {

constexpr int kDeadlineMs = 600000;
volatile std::sig_atomic_t g_signal = 0;

// No box may stop a benchmark: every message is printed and answered at once.
class PrintedDialogs : public DialogService
{
public:
    Answer message(QWidget *, const QString &text, Buttons buttons, Icon, const QString &) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    bool openUrl(const QUrl &) override { return true; }
};

// The simulator, stopped with the benchmark whatever way it ends.
class Simulator
{
public:
    ~Simulator()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QStringList start(int count)
    {
        // Should the benchmark die without a word, the kernel ends the simulator too.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim"),
                        {QStringLiteral("--count"), QString::number(count), QStringLiteral("--tcp"),
                         QStringLiteral("0"), QStringLiteral("--line-rate"),
                         QStringLiteral("1200")});
        QStringList addresses;
        QElapsedTimer clock;
        clock.start();
        while (addresses.size() < count && clock.elapsed() < 60000 &&
               m_process.state() != QProcess::NotRunning) {
            if (!m_process.canReadLine()) {
                m_process.waitForReadyRead(1000);
                continue;
            }
            addresses << QString::fromLocal8Bit(m_process.readLine()).trimmed();
        }
        return addresses;
    }

private:
    QProcess m_process;
};

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 500;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, [](int received) { g_signal = received; });
    PrintedDialogs dialogs;
    DialogService::setInstance(&dialogs);

    Simulator simulator;
    const QStringList addresses = simulator.start(count);
    if (addresses.size() != count) {
        std::fprintf(stderr, "bench_plant_window: the simulator gave %d of %d addresses\n",
                     int(addresses.size()), count);
        return 1;
    }
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += QStringLiteral("[encoder-%1]\ndevice = %2\nconfiguration = %3\n")
                    .arg(i + 1)
                    .arg(addresses[i], QStringLiteral(QUILLCAST_TEST_DATA "/inserted.qcf"))
                    .toUtf8();
    const QString listPath = settings.filePath(QStringLiteral("plant.ini"));
    QFile file(listPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
        return 1;
    file.close();

    MainWindow window(DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                  QStringLiteral("4660")});
    window.show();
    window.openEncoderList(listPath);
    PlantWindow *plant = window.plantWindow();
    if (!plant || plant->model()->rowCount() != count)
        return 1;

    // The clock's tick and the event loop's promptness, from the press of Send to All on.
    QElapsedTimer clock;
    qint64 lastTick = 0, lastFine = 0, worstTickGap = 0, worstLateness = 0, worstAt = 0;
    QTimer tick, fine, watch;
    tick.setInterval(1000);
    fine.setTimerType(Qt::PreciseTimer);
    fine.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worstTickGap = qMax(worstTickGap, now - lastTick);
        lastTick = now;
    });
    QObject::connect(&fine, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - lastFine - 10 > worstLateness) {
            worstLateness = now - lastFine - 10;
            worstAt = now;
        }
        lastFine = now;
    });
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (g_signal || clock.elapsed() > kDeadlineMs)
            app.exit(2);
        else if (plant->progressText()->text().startsWith(QStringLiteral("%1 of ").arg(count)))
            app.exit(0);
    });

    clock.start();
    tick.start();
    fine.start();
    watch.start();
    plant->findChild<QAction *>(QStringLiteral("actSendAll"))->trigger();
    const qint64 pressed = clock.elapsed();
    const int status = app.exec();
    const double seconds = clock.elapsed() / 1000.0;
    const int failed = plant->run() ? int(plant->run()->failedEncoders().size()) : count;
    std::printf("encoders: %d, programmed: %d, send: %.1f s\n", count, count - failed, seconds);
    std::printf("Send to All (reading the configuration, starting the sessions): %lld ms\n",
                pressed);
    std::printf("worst gap between one-second ticks: %lld ms\n", worstTickGap);
    std::printf("worst event-loop stall (10 ms timer lateness): %lld ms, %.1f s after Send to "
                "All\n",
                worstLateness, worstAt / 1000.0);
    std::printf("status bar: %s\n", qPrintable(plant->progressText()->text()));
    return status != 0 ? 2 : failed == 0 ? 0 : 3;
}
