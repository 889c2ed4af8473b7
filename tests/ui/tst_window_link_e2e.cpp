#include "DataRows.h"
#include "FullListener.h"
#include "PtyPair.h"
#include "SimLink.h"
#include "SimProcess.h"
#include "TabsWindow.h"

#include "core/common/AppSettings.h"
#include "core/session/EncoderChannel.h"
#include "ui/CcLoopingController.h"
#include "ui/ConfigFileController.h"

#include <QAccessible>
#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The window over a running quillcast-encoder-sim, whose pseudo-terminal is the stored port as
// an operator would have chosen it.
struct Window
{
    SimProcess sim;
    const bool started;
    std::unique_ptr<TabsWindow> w;

    explicit Window(const QStringList &options = {}) : started(sim.start(options))
    {
        TestSettings::wipe();
        AppSettings::save("COMSettings", "Devices", sim.slavePath());
        AppSettings::save("COMSettings", "Device", sim.slavePath());
        w = std::make_unique<TabsWindow>(false); // a stored device that is there comes first
    }
    bool drained() const
    {
        return w->link()->commandQueue().isEmpty() && !w->link()->timerCommTimeout()->isActive();
    }
};

} // namespace

// The window and a simulated encoder over a pseudo-terminal: connect and send.
class tst_WindowLinkE2E : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() { qputenv("HOME", QFile::encodeName(m_home.path())); }

    void sendConfigurationRefreshesArticles()
    {
        Window e2e;
        QVERIFY2(e2e.started, qPrintable(e2e.sim.errorString()));
        TabsWindow &w = *e2e.w;
        QVERIFY(w.connect());
        QCOMPARE(w.panel(2), QStringLiteral("Connected to Orvane Simulated Encoder, Serial"));
        // Two articles already stored in the encoder, one of them the Web TV link.
        w.link()->addCommand("0", "NEWS T2 3", "Top stories at eleven", true, true);
        w.link()->addCommand("0", "URL T2 0", "<http://example.invalid>", true, true);
        w.link()->startTransaction();
        QTRY_VERIFY_WITH_TIMEOUT(e2e.drained(), 5000);

        // The status bar as each step of the send leaves it: its words, the bar, and what a
        // screen reader hears of both; hidden once every command is answered.
        auto *label = w.find<QLabel>("lblSendProgress");
        auto *bar = w.find<QProgressBar>("prgSend");
        auto heard = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        QStringList seen;
        QObject::connect(w.link(), &Sequencer::sendProgress, &w.top, [&] {
            if (!label->isVisibleTo(&w.top) && !bar->isVisibleTo(&w.top))
                seen << "hidden|" + heard(label) + "|" + heard(bar);
            else
                seen << QStringLiteral("%1|%2|%3|%4/%5")
                            .arg(label->text(), heard(label), heard(bar))
                            .arg(bar->value())
                            .arg(bar->maximum());
        });
        QSignalSpy sent(w.link(), &Sequencer::commandSent);
        QVERIFY(w.top.files()->loadConfiguration(goldenFile("inserted.qcf"))); // 22 commands
        QTest::mouseClick(w.top.cmdSendConfig(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(e2e.drained(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(w.top.cmdSendConfig()->text(),
                                  QStringLiteral("Send Confi&guration"), 5000);
        const int total = int(sent.size());
        QStringList expected;
        for (int command = 1; command <= total; ++command) {
            const QString text = QStringLiteral("Sending command %1 of %2").arg(command).arg(total);
            expected << QStringLiteral("%1|%1|%1|%2/%3").arg(text).arg(command).arg(total);
        }
        QCOMPARE(total, 22);
        QCOMPARE(seen, expected << "hidden||");
        QCOMPARE(TabsWindow::texts(w.list("cmbRemoveArticle")), QStringList{"NEWS"});
        QVERIFY2(w.dialogs.shown.isEmpty(), qPrintable(w.dialogs.texts().join('\n')));
    }

    // tests/data/restart-or-reply.rows: the reply to Refresh Articles, taken for the article list
    // or for a restart that ends the link.
    void restartOrReply_data() { addRows("restart-or-reply", {"reply", "restart"}); }
    void restartOrReply()
    {
        QFETCH(QString, reply);
        QFETCH(QString, restart);
        PtyPair encoder;
        QVERIFY(encoder.isValid());
        TestSettings::wipe();
        AppSettings::save("COMSettings", "Devices", encoder.slavePath());
        AppSettings::save("COMSettings", "Device", encoder.slavePath());
        TabsWindow w(false);
        QSignalSpy failed(w.link(), &Sequencer::transactionFailed);
        const QByteArray banner = "\r\nOrvane EN-7 -- V1\r\nSerial 42\r\n*";
        w.top.cmdConnect()->click();
        QVERIFY(encoder.answer("\x01?\r", banner));
        QTRY_COMPARE(w.link()->linkState(), Sequencer::LinkState::Connected);
        w.click("cmdRefreshArticles"); // a readiness query first, as before every command
        QVERIFY(encoder.answer("\x01?\r", banner) && encoder.answer("\0019\r", reply.toLatin1()));
        QTRY_VERIFY(!w.link()->timerCommTimeout()->isActive());
        QCOMPARE(failed.size() == 1 && failed[0][0].value<Sequencer::Failure>() ==
                                           Sequencer::Failure::EncoderRestarted,
                 restart == "yes");
    }

    // A send to encoder A over TCP, and on its way Exit, then Port Settings to encoder B: the exit
    // question says how much is still to go, also with edits unsaved, and No lets the send run
    // on; the new port ends the send with a word, and nothing queued for A ever reaches B.
    void sendUnderWay()
    {
        Window e2e({"--tcp", "0", "--count", "2", "--reply-delay", "200", "--log",
                    m_home.filePath("log")});
        QVERIFY2(e2e.started, qPrintable(e2e.sim.errorString()));
        TabsWindow &w = *e2e.w;
        QVERIFY(w.top.files()->loadConfiguration(goldenFile("inserted.qcf")));
        QVERIFY(w.connect());
        w.click("cmdSendConfig");
        QTRY_VERIFY(w.link()->commandsAnswered() >= 3);
        w.set("txtProgramName", "Unsaved");
        const int toGo = w.link()->commandsToGo();
        w.dialogs.answers = {DialogService::Answer::No};
        QVERIFY(!w.top.close());
        const QString exit = "A send to the Encoder is under way: %1 commands are still to go.  "
                             "Are you sure you want to exit?";
        QCOMPARE(w.dialogs.texts(), QStringList{exit.arg(toGo)});
        QTRY_VERIFY(w.link()->commandsToGo() < toGo);

        int answered = -1; // as OK asks whether to close the port
        w.dialogs.whileShown = [&](const QString &) {
            answered = answered < 0 ? w.link()->commandsAnswered() : answered;
        };
        QTimer::singleShot(0, &w.top, [&] { // in the dialog: B's address typed, OK, Yes
            w.list("cmbCOMPort")->setEditText(e2e.sim.devices().at(1));
            w.click("OKButton");
        });
        w.find<QAction>("mnuPortSettings")->trigger();
        const QString cut = "The send was cut short: %1 of 22 commands were answered before the "
                            "port was changed.";
        QCOMPARE(w.dialogs.texts().constLast(), cut.arg(answered));
        QVERIFY(w.connect());
        // B was asked whether it is ready, and nothing else.
        const QString onB = contentsOf(m_home.filePath("log.2"));
        QVERIFY(onB.count('\n') > 0 && onB.count("<SOH>?<CR>") == onB.count('\n'));
    }

    // Start Looping on a network port, Yes to connect: the loop waits for the open, and runs
    // once the encoder has answered or, refused, ends with the open's own message.
    void loopWaitsForThePortToOpen()
    {
        for (const bool refused : {false, true}) {
            Window e2e({"--tcp", "0"});
            QVERIFY2(e2e.started, qPrintable(e2e.sim.errorString()));
            if (refused)
                e2e.sim.stop();
            TabsWindow &w = *e2e.w;
            const QString file = m_home.filePath("loop.txt");
            QVERIFY(writeFile(file, "Hello\r\n"));
            w.top.findChild<CcLoopingController *>()->selectCCLoopingFile(file);
            w.check("chCCLpInfiniteTime")->setChecked(true);
            w.dialogs.clear(); // the file's notes
            w.click("cmdCCLpLoopControl_0");
            QVERIFY(w.link()->channel()->portIsOpening()); // and nothing ticks until it has opened
            QVERIFY(!w.find<QTimer>("timerCCLoopingTimeout")->isActive());
            QTRY_VERIFY(refused ? w.find("cmdCCLpLoopControl_0")->isEnabled()
                                : w.find<QLabel>("lblCCLoopingLastSent")->text() == "Hello" &&
                                      e2e.drained());
            QCOMPARE(w.dialogs.texts().mid(1), QStringList{kNotOpened}.mid(0, refused)); // Yes 1st
        }
    }

    // A network port that does not answer: the window shows "Connecting..." at once and keeps
    // the button usable; pressed again, it cancels and the window is Disconnected.
    void connectingCanBeCancelled()
    {
        QList<int> fds;
        const quint16 port = fullListener(&fds);
        QVERIFY(port != 0);
        TestSettings::wipe();
        AppSettings::save("COMSettings", "Device", QStringLiteral("tcp://127.0.0.1:%1").arg(port));
        TabsWindow w(false);
        QPushButton *connect = w.top.cmdConnect();
        QTest::mouseClick(connect, Qt::LeftButton);
        const bool opening = w.link()->channel()->portIsOpening();
        const QString caption = connect->text();
        const bool enabled = connect->isEnabled();
        QTest::mouseClick(connect, Qt::LeftButton);
        for (int fd : std::as_const(fds))
            ::close(fd);
        QVERIFY(opening && enabled);
        QCOMPARE(caption, QStringLiteral("&Connecting..."));
        QCOMPARE(connect->text(), QStringLiteral("&Connect"));
        QVERIFY(!w.link()->channel()->portIsOpening() && w.dialogs.shown.isEmpty());
        QCOMPARE(w.link()->linkState(), Sequencer::LinkState::Disconnected);
    }
};

QTEST_MAIN(tst_WindowLinkE2E)
#include "tst_window_link_e2e.moc"
