#include "DataRows.h"
#include "FullListener.h"
#include "PtyPair.h"
#include "SimProcess.h"
#include "TabsWindow.h"

#include "core/common/AppSettings.h"
#include "core/session/EncoderChannel.h"

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

        QTest::mouseClick(w.top.cmdSendConfig(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(e2e.drained(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(w.top.cmdSendConfig()->text(),
                                  QStringLiteral("Send Confi&guration"), 5000);
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
