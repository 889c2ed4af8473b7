#include "DataRows.h"
#include "FixedClock.h"
#include "TabsWindow.h"

#include "core/session/EncoderChannel.h"
#include "core/simulator/EncoderSimulator.h"
#include "core/transport/PortLine.h"
#include "ui/ConfigFileController.h"
#include "ui/EncoderActions.h"

#include <QTemporaryDir>
#include <QTimer>

// The encoder buttons of the window against the built-in simulated encoder: what reaches the
// encoder, in what order, and when a transaction is started.
class tst_EncoderActions : public QObject
{
    Q_OBJECT

    std::unique_ptr<TabsWindow> m_w;
    QTemporaryDir m_dir;

    Sequencer *sequencer() const { return m_w->link(); }
    EncoderSimulator *encoder() const { return sequencer()->channel()->port()->simulatedEncoder(); }
    bool connectToSimulator()
    {
        const bool connected = m_w->connect();
        encoder()->clearReceived();
        return connected;
    }
    // The commands the encoder received since the last clear, readiness queries left out.
    QStringList received() const
    {
        QStringList commands;
        for (const EncoderSimulator::ReceivedCommand &c : encoder()->received()) {
            if (!c.bytes.endsWith("\x01?\r"))
                commands << Output::escaped(c.bytes);
        }
        return commands;
    }
    bool drained() const
    {
        return sequencer()->commandQueue().isEmpty() &&
               !sequencer()->timerCommTimeout()->isActive();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("Weather.txt")), "Sunny\r\nWarm\r\n"));
    }
    void init()
    {
        m_w = std::make_unique<TabsWindow>();
        // Only what a test turns on is sent.
        m_w->apply("chSyncClock=0 chDecoderSend=0 chBlockingSend=0");
    }
    void cleanup() { m_w.reset(); }

    // A golden file opened in the window goes out as its .wire says (the clock commands carry
    // the moment of sending and are compared by the golden test alone).
    void sendConfigurationSendsTheGoldenWire_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"inserted", "passed", "odd-texts", "previous-format", "over-long-texts"})
            QTest::newRow(name) << QString(name);
    }
    void sendConfigurationSendsTheGoldenWire()
    {
        QFETCH(QString, name);
        FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
        m_w->dialogs.openPaths = {goldenFile(name + ".qcf")};
        m_w->top.files()->openFile();
        QVERIFY(connectToSimulator());
        m_w->click("cmdSendConfig");
        QCOMPARE(sequencer()->linkState(), Sequencer::LinkState::Sending);
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        const QRegularExpression sent("^\\\\x(?!01[cd] )");
        QCOMPARE(received().filter(sent), goldenLines(name + ".wire").filter(sent));
    }

    // Idle, Send sends its caption after a readiness query that no time-out watches (blanks
    // trimmed, nothing for blanks only) and the other buttons start a transaction; Load and
    // Remove send their command and then ask for the list. With a slow encoder's article list on
    // its way, every press (and the keep-alive) queues behind it: no readiness query goes out and
    // the list keeps its long time-out.
    void buttons_data() { addRows("encoder-buttons", {"button", "checked", "typed", "wire"}); }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, checked);
        QFETCH(QString, typed);
        QFETCH(QString, wire);
        const QByteArray list = "\0019\r";
        for (const bool listAwaited : {false, true}) {
            if (listAwaited)
                m_w.reset(), init(); // a window of its own
            QVERIFY(connectToSimulator());
            m_w->apply(checked);
            m_w->set("txtSendCaptions", typed);
            m_w->dialogs.openPaths << m_dir.filePath(QStringLiteral("Weather.txt"));
            m_w->list("cmbRemoveArticle")->addItem(QStringLiteral("Weather"));
            QStringList commands;
            if (listAwaited) {
                m_w->click("cmdRefreshArticles");
                encoder()->setSilent(true); // the list request, after the readiness query
                QTRY_VERIFY(encoder()->received().constLast().bytes == list);
                commands << Output::escaped(list);
            }
            const int interval = sequencer()->timerCommTimeout()->interval();
            for (int second = 0; button == "keep-alive" && second <= 300; ++second)
                sequencer()->secondTick();
            if (button != "keep-alive")
                m_w->click(button);
            QCOMPARE(m_w->box("txtSendCaptions")->text(), typed.trimmed());
            QCOMPARE(sequencer()->timerCommTimeout()->isActive(),
                     listAwaited || button != "cmdSendCaptions");
            if (listAwaited) {
                QCOMPARE(sequencer()->timerCommTimeout()->interval(), interval);
                QVERIFY(encoder()->received().constLast().bytes == list);
                encoder()->setSilent(false); // and the list comes
                QMetaObject::invokeMethod(sequencer(), "handleReply", Q_ARG(QString, "\r\n*"));
            }
            for (const QString &command : wire.split(';', Qt::SkipEmptyParts))
                commands << Output::escaped(command.toLatin1());
            QTRY_COMPARE(received(), commands);
            QTRY_VERIFY(drained());
        }
    }

    // Declining the offer to connect queues nothing and opens no dialog; "Send" asks even with
    // an empty text. Load and Remove start the sequencer only with both their commands queued:
    // a file that cannot be read or an entry without a name leaves the list request alone.
    void articleAndOfferRules_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("picked"); // a file chosen, or an entry selected
        QTest::addColumn<bool>("connect");
        QTest::addColumn<int>("queued");
        for (const char *button : {"cmdSendCaptions", "cmdDecoderSettings", "cmdBlockingSettings",
                                   "cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle"})
            QTest::addRow("%s, offer declined", button) << QString(button) << true << false << 0;
        QTest::newRow("Load cancelled") << "cmdInsArticle" << false << true << 0;
        QTest::newRow("Load of an unreadable file") << "cmdInsArticle" << true << true << 1;
        // Not connected: not even the offer to connect appears.
        QTest::newRow("Remove without a selection") << "cmdRemoveArticle" << false << false << 0;
        QTest::newRow("Remove of a nameless entry") << "cmdRemoveArticle" << true << true << 1;
    }
    void articleAndOfferRules()
    {
        QFETCH(QString, button);
        QFETCH(bool, picked);
        QFETCH(bool, connect);
        QFETCH(int, queued);
        if (connect)
            QVERIFY(connectToSimulator());
        m_w->dialogs.answers << DialogService::Answer::No;
        m_w->top.LoadPath = QStringLiteral("/start/here/");
        QComboBox *names = m_w->list("cmbRemoveArticle");
        names->addItem(QString());
        names->setCurrentIndex(picked ? 0 : -1);
        if (picked)
            m_w->dialogs.openPaths << m_dir.filePath(QStringLiteral("gone.txt"));
        m_w->find(button)->setEnabled(true); // the click's handler, however the button stands
        m_w->click(button);
        QCOMPARE(sequencer()->commandQueue().size(), queued);
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QCOMPARE(m_w->dialogs.texts(),
                 connect || !picked ? QStringList()
                                    : QStringList{"A connection is not currently active.  Would "
                                                  "you like to attempt to connect now?"});
        QCOMPARE(m_w->dialogs.dialogFolders.isEmpty(), !connect || button != "cmdInsArticle");
        if (!picked)
            QCOMPARE(m_w->top.LoadPath, QStringLiteral("/start/here/"));
    }
};

QTEST_MAIN(tst_EncoderActions)
#include "tst_encoder_actions.moc"
