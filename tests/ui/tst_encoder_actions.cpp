#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "ui/EncoderActions.h"
#include "ui/frmMainWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// The encoder buttons of the window against the built-in simulated encoder: what reaches the
// encoder, in what order, and when a transaction is started.
class tst_EncoderActions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmMainWindow> m_window;
    QTemporaryDir m_dir;

    Sequencer *sequencer() const { return m_window->sequencer(); }
    EncoderSimulator *encoder() const
    {
        return sequencer()->CommIFace()->CommClass()->simulatedEncoder();
    }
    template <typename T> T *control(const QString &name) const
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }
    void click(const QString &name) const { control<QAbstractButton>(name)->click(); }
    void check(const QStringList &names, bool on = true) const
    {
        for (const QString &name : names)
            control<QAbstractButton>(name)->setChecked(on);
    }
    void type(const QString &name, const QString &text) const
    {
        control<QLineEdit>(name)->setText(text);
    }
    // The button's handler, as the click would call it, whether the button is enabled or not.
    void press(const QString &button) const
    {
        QMetaObject::invokeMethod(m_window->actions(),
                                  qPrintable(button + QStringLiteral("_Click")));
    }

    // Opens the simulated port and waits for the encoder's first answer.
    bool connectToSimulator()
    {
        CommInterface *channel = sequencer()->CommIFace();
        COMSettings settings;
        settings.port = static_cast<qint16>(channel->CommClass()->SimulatedPort());
        settings.device = Communications::simulatedDeviceName();
        settings.baud = 1200;
        settings.parity = QStringLiteral("O");
        settings.dataBits = 7;
        settings.StopBits = 1;
        channel->setCOMSettings(settings);
        sequencer()->cmdConnect_Click();
        if (!QTest::qWaitFor([this] { return sequencer()->linkState() == 1; }, 5000))
            return false;
        encoder()->clearReceived();
        return true;
    }
    // The commands the encoder received since the last clear, each without its leading SOH;
    // readiness queries (ETX, CR, SOH, "?", CR) are left out.
    QByteArrayList received() const
    {
        QByteArrayList commands;
        for (const EncoderSimulator::ReceivedCommand &c : encoder()->received()) {
            if (!c.bytes.endsWith("\x01?\r"))
                commands << (c.bytes.startsWith('\x01') ? c.bytes.mid(1) : c.bytes);
        }
        return commands;
    }
    bool drained() const
    {
        return sequencer()->CommandQueue().isEmpty() &&
               !sequencer()->timerCommTimeout()->isActive();
    }
    QStringList queuedModes() const
    {
        QStringList modes;
        for (const CtrlACommand &k : sequencer()->CommandQueue())
            modes << k.mode;
        return modes;
    }

private slots:
    void init()
    {
        TestSettings::wipe();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_window = std::make_unique<frmMainWindow>(DefaultInfo{"NBC", "WNBC", "1"});
        // Only what a test turns on is sent.
        check({"chSyncClock", "chDecoderSend", "chBlockingSend"}, false);
    }
    void cleanup()
    {
        if (m_window && sequencer()->CommIFace()->PortIsOpen())
            sequencer()->CommIFace()->Disconnect();
        m_window.reset();
        m_dialogs.reset();
    }

    void sendConfiguration()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)));
        QVERIFY(connectToSimulator());
        check({"chCtrlNetworkName", "oNetworkName_0", "chCtrlCallLetters", "oCallLetters_1",
               "chCtrlTSID", "oTSID_2", "chSyncClock", "chDSInEffect", "chDecoderSend",
               "oDecoderSettings_9", "chCtrlWebTV", "oWebTV_1"});
        check({"chDSObserved"}, false);
        type(QStringLiteral("txtNetworkName"), QStringLiteral("AB"));

        click(QStringLiteral("cmdSendConfig"));
        QCOMPARE(sequencer()->linkState(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(drained() && sequencer()->linkState() == 1, 20000);
        const QByteArray offset = m_window->snapshot().UnsignedOffsetText.toLatin1();
        QCOMPARE(received(), (QByteArrayList{"P 0501 9999 41422020\r", "P 0502 9999 R\r",
                                             "P 0504 \r", "c 14:05:09 " + offset + " ON DSO=OFF\r",
                                             "d 12/04/2026 6\r", "M VCHIP\r", "4 URL D\r", "9\r"}));
    }

    // Idle, Send sends its caption after a readiness query that no time-out watches (blanks
    // trimmed, nothing for blanks only) and the other buttons start a transaction; with a
    // command already waiting, a second press only appends to the queue.
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QByteArrayList>("wire");
        const auto row = [](const char *name, const char *button, const char *checked,
                            const char *typed, const char *kept, const QByteArrayList &wire) {
            QTest::newRow(name) << QString(button) << QString(checked) << QString(typed)
                                << QString(kept) << wire;
        };
        row("Send T2 HELLO", "cmdSendCaptions", "oSendCaptions_5", "HELLO", "HELLO",
            {"2 T2\rHELLO\r\x03"});
        row("Send, blanks trimmed", "cmdSendCaptions", "oSendCaptions_0", "  Hi there  ",
            "Hi there", {"2 C1\rHi there\r\x03"});
        row("Send, only blanks", "cmdSendCaptions", "oSendCaptions_3", "    ", "", {});
        row("Send Decoder Settings", "cmdDecoderSettings", "oDecoderSettings_9", "", "",
            {"M VCHIP\r"});
        row("Send Block Settings", "cmdBlockingSettings", "chBlockingSettings_4", "", "",
            {"7 C1\r", "7 C2\r", "7 C3\r", "7 C4\r", "6 TX\r", "7 T1\r", "7 T2\r", "7 T3\r",
             "7 T4\r"});
        row("Refresh Article List", "cmdRefreshArticles", "", "", "", {"9\r"});
    }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, checked);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QByteArrayList, wire);
        const bool send = button == QLatin1String("cmdSendCaptions");
        QVERIFY(connectToSimulator());
        for (int i = 0; i < 9; ++i)
            check({QStringLiteral("chBlockingSettings_%1").arg(i)}, false);
        if (!checked.isEmpty())
            check({checked});
        type(QStringLiteral("txtSendCaptions"), typed);
        auto *list = control<QPlainTextEdit>(QStringLiteral("txtArticleList"));
        click(button);
        QCOMPARE(control<QLineEdit>(QStringLiteral("txtSendCaptions"))->text(), kept);
        QCOMPARE(list->toPlainText() == QLatin1String("Refreshing..."),
                 button == QLatin1String("cmdRefreshArticles"));
        QCOMPARE(sequencer()->timerCommTimeout()->isActive(), !send);
        QTest::qWait(50);
        QTRY_COMPARE(received(), wire);
        QTRY_VERIFY(drained());
        QVERIFY(list->toPlainText() != QLatin1String("Refreshing...")); // the reply replaced it

        encoder()->clearReceived();
        sequencer()->AddCommand(QStringLiteral("M"), QStringLiteral("OFF"));
        click(button);
        QCOMPARE(sequencer()->CommandQueue().size(), 1 + wire.size());
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QTest::qWait(50);
        QCOMPARE(encoder()->received().size(), 0);
    }

    void loadAndRemoveArticle()
    {
        QFile file(m_dir.filePath(QStringLiteral("Weather.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("Sunny\r\nWarm\r\n") > 0);
        file.close();
        QVERIFY(connectToSimulator());
        m_window->LoadPath = QStringLiteral("/start/here/");
        m_dialogs->openPaths << file.fileName();
        check({"oInsertArticles_2"});
        type(QStringLiteral("txtInsArticleRepeat"), QStringLiteral("12"));

        click(QStringLiteral("cmdInsArticle"));
        QCOMPARE(m_dialogs->dialogTitles, QStringList{"Open File"});
        QCOMPARE(m_dialogs->dialogFilters, QStringList{"Text Files (.txt)|*.txt"});
        QCOMPARE(m_dialogs->dialogFolders, QStringList{"/start/here/"});
        QCOMPARE(m_window->LoadPath, m_dir.path() + QLatin1Char('/'));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        QCOMPARE(received(), (QByteArrayList{"0 Weather T3 12\rSunny\rWarm\r\x03", "9\r"}));
        QCOMPARE(encoder()->articleNames(), QStringList{"Weather"});

        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        QTRY_VERIFY(names->findText(QStringLiteral("Weather")) >= 0);
        names->setCurrentIndex(names->findText(QStringLiteral("Weather")));
        encoder()->clearReceived();
        click(QStringLiteral("cmdRemoveArticle"));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        QCOMPARE(received(), (QByteArrayList{"4 Weather D\r", "9\r"}));
        QVERIFY(encoder()->articleNames().isEmpty());
    }

    // Load and Remove start the sequencer only with both their commands queued: a file that
    // cannot be read or an entry without a name leaves the list request alone, unstarted.
    void articleQueueRules_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("picked"); // a file chosen, or an entry selected
        QTest::addColumn<bool>("connect");
        QTest::addColumn<QStringList>("queued");
        QTest::newRow("Load cancelled") << "cmdInsArticle" << false << true << QStringList{};
        QTest::newRow("Load of an unreadable file")
            << "cmdInsArticle" << true << true << QStringList{"9"};
        // Not connected: not even the offer to connect appears.
        QTest::newRow("Remove without a selection")
            << "cmdRemoveArticle" << false << false << QStringList{};
        QTest::newRow("Remove of a nameless entry")
            << "cmdRemoveArticle" << true << true << QStringList{"9"};
    }
    void articleQueueRules()
    {
        QFETCH(QString, button);
        QFETCH(bool, picked);
        QFETCH(bool, connect);
        QFETCH(QStringList, queued);
        if (connect)
            QVERIFY(connectToSimulator());
        m_window->LoadPath = QStringLiteral("/start/here/");
        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        names->addItem(QString());
        names->setCurrentIndex(picked ? names->count() - 1 : -1);
        if (picked)
            m_dialogs->openPaths << m_dir.filePath(QStringLiteral("gone.txt"));
        press(button);
        QCOMPARE(queuedModes(), queued);
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QVERIFY(m_dialogs->shown.isEmpty());
        if (!picked)
            QCOMPARE(m_window->LoadPath, QStringLiteral("/start/here/"));
    }

    // Declining the offer to connect queues nothing; "Send" asks even with an empty text.
    void declinedConnection_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *button : {"cmdSendCaptions", "cmdDecoderSettings", "cmdBlockingSettings",
                                   "cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle"})
            QTest::newRow(button) << QString::fromLatin1(button);
    }
    void declinedConnection()
    {
        QFETCH(QString, button);
        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        names->addItem(QStringLiteral("Weather"));
        names->setCurrentIndex(0);
        m_dialogs->answers << DialogService::Answer::No;
        press(button);
        QCOMPARE(m_dialogs->texts(),
                 QStringList{"A connection is not currently active.  Would you like to attempt "
                             "to connect now?"});
        QVERIFY(m_dialogs->dialogTitles.isEmpty());
        QVERIFY(sequencer()->CommandQueue().isEmpty());
    }
};

QTEST_MAIN(tst_EncoderActions)
#include "tst_encoder_actions.moc"
