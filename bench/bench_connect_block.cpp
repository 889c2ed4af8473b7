// How long the event loop stands still while a Sequencer connects to a network port that never
// answers.
//
// Makes a loopback listener on 127.0.0.1 whose accept backlog is full (listen with a backlog of
// 0, filled with a few connections that are never accepted), so that one more connect neither
// succeeds nor fails. A 10 ms timer ticks all the while; Connect is pressed on tcp://127.0.0.1:
// PORT and the program waits until the link has given up (the "could not be opened" message) or
// 8 s have passed. It prints the longest gap between two ticks, which is how long the window
// would have been frozen.
//
//   bench_connect_block

#include "FullListener.h"
#include "LineSettings.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/transport/PortLine.h"
#include "ui/DialogService.h"
#include "ui/LinkMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

// No box may stop a benchmark: every message is printed and answered at once.
class PrintedDialogs : public DialogService
{
public:
    int shown = 0;
    Answer message(QWidget *, const QString &text, Buttons buttons, Icon, const QString &) override
    {
        ++shown;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
    }
    bool openUrl(const QUrl &) override { return true; }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PrintedDialogs dialogs;
    DialogService::setInstance(&dialogs);

    QList<int> fds;
    const quint16 port = fullListener(&fds);
    if (port == 0) {
        std::fprintf(stderr, "could not make the loopback listener\n");
        return 1;
    }
    const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(port);

    QWidget window;
    auto *sequencer = new Sequencer(new EncoderChannel(new PortLine({address})));
    new LinkMessages(sequencer, &window); // the window's boxes, counted by PrintedDialogs
    LineSettings settings = lineSettings(1, 1200, "O", 7, 1);
    settings.device = address;
    sequencer->channel()->setCOMSettings(settings);

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
    });

    QTimer::singleShot(100, [&] {
        std::fprintf(stderr, "pressing Connect on %s\n", qPrintable(address));
        sequencer->toggleConnection();
    });
    QTimer finish;
    finish.setInterval(20);
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (dialogs.shown > 0 || clock.elapsed() > 8000)
            app.quit();
    });

    clock.start();
    ticker.start(10);
    finish.start();
    app.exec();

    std::printf("longest event-loop gap while connecting: %lld ms (until %s after %lld ms)\n",
                longestGap, dialogs.shown > 0 ? "the open failed" : "the end of the wait",
                clock.elapsed());
    delete sequencer;
    for (int fd : fds)
        ::close(fd);
    return 0;
}
