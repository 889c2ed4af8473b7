#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "ui/EncoderActions.h"
#include "ui/frmMainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
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
    void check(const QString &name, bool on) const
    {
        control<QAbstractButton>(name)->setChecked(on);
    }
    void type(const QString &name, const QString &text) const
    {
        control<QLineEdit>(name)->setText(text);
    }

    // Opens the simulated port and waits for the encoder's first answer.
    bool connectToSimulator()
    {
        CommInterface *channel = sequencer()->CommIFace();
        COMSettings settings;
        settings.port = static_cast<qint16>(channel->CommClass()->SimulatedPort());
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
    // The query reaches the encoder with the ETX and CR that clear its line first.
    static bool isReadinessQuery(const QByteArray &bytes) { return bytes.endsWith("\x01?\r"); }
    // The commands the encoder received since the last clear, readiness queries left out.
    QList<QByteArray> received() const
    {
        QList<QByteArray> commands;
        if (!encoder())
            return commands;
        for (const EncoderSimulator::ReceivedCommand &c : encoder()->received()) {
            if (!isReadinessQuery(c.bytes))
                commands << c.bytes;
        }
        return commands;
    }
    int readinessQueries() const
    {
        int count = 0;
        for (const EncoderSimulator::ReceivedCommand &c : encoder()->received())
            count += isReadinessQuery(c.bytes) ? 1 : 0;
        return count;
    }
    bool drained() const
    {
        return sequencer()->CommandQueue().isEmpty() &&
               !sequencer()->timerCommTimeout()->isActive();
    }
    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(bytes);
        return file.fileName();
    }

private slots:
    void init()
    {
        TestSettings::wipe();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_window = std::make_unique<frmMainWindow>(DefaultInfo{"NBC", "WNBC", "1"});
        // Only what a test turns on is sent.
        check(QStringLiteral("chSyncClock"), false);
        check(QStringLiteral("chDecoderSend"), false);
        check(QStringLiteral("chBlockingSend"), false);
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
        QVERIFY(connectToSimulator());
        check(QStringLiteral("chCtrlNetworkName"), true);
        check(QStringLiteral("oNetworkName_0"), true);
        type(QStringLiteral("txtNetworkName"), QStringLiteral("AB"));
        check(QStringLiteral("chCtrlCallLetters"), true);
        check(QStringLiteral("oCallLetters_1"), true);
        check(QStringLiteral("chCtrlTSID"), true);
        check(QStringLiteral("oTSID_2"), true);
        check(QStringLiteral("chDecoderSend"), true);
        check(QStringLiteral("oDecoderSettings_9"), true);
        check(QStringLiteral("chCtrlWebTV"), true);
        check(QStringLiteral("oWebTV_1"), true);

        click(QStringLiteral("cmdSendConfig"));
        QCOMPARE(sequencer()->linkState(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(drained() && sequencer()->linkState() == 1, 20000);
        const QList<QByteArray> expected{"\x01P 0501 9999 41422020\r",
                                         "\x01P 0502 9999 R\r",
                                         "\x01P 0504 \r",
                                         "\x01M VCHIP\r",
                                         "\x01"
                                         "4 URL D\r",
                                         "\x01"
                                         "9\r"};
        QCOMPARE(received(), expected);
    }

    void sendConfigurationSetsTheClock()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)));
        QVERIFY(connectToSimulator());
        check(QStringLiteral("chSyncClock"), true);
        check(QStringLiteral("chDSObserved"), false);
        check(QStringLiteral("chDSInEffect"), true);
        click(QStringLiteral("cmdSendConfig"));
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        const QString offset = m_window->snapshot().UnsignedOffsetText;
        const QList<QByteArray> expected{"\x01"
                                         "c 14:05:09 " +
                                             offset.toLatin1() + " ON DSO=OFF\r",
                                         "\x01"
                                         "d 12/04/2026 6\r",
                                         "\x01"
                                         "9\r"};
        QCOMPARE(received(), expected);
    }

    void sendCaptions_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("T2 HELLO") << "HELLO"
                                  << "oSendCaptions_5"
                                  << "HELLO"
                                  << QByteArray("\x01"
                                                "2 T2\rHELLO\r\x03");
        QTest::newRow("blanks trimmed") << "  Hi there  "
                                        << "oSendCaptions_0"
                                        << "Hi there"
                                        << QByteArray("\x01"
                                                      "2 C1\rHi there\r\x03");
        QTest::newRow("only blanks") << "    "
                                     << "oSendCaptions_3"
                                     << "" << QByteArray();
    }
    void sendCaptions()
    {
        QFETCH(QString, typed);
        QFETCH(QString, channel);
        QFETCH(QString, kept);
        QFETCH(QByteArray, wire);
        QVERIFY(connectToSimulator());
        check(channel, true);
        type(QStringLiteral("txtSendCaptions"), typed);
        click(QStringLiteral("cmdSendCaptions"));
        QCOMPARE(control<QLineEdit>(QStringLiteral("txtSendCaptions"))->text(), kept);
        // The readiness query goes out without a time-out watching it.
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        if (wire.isEmpty()) {
            QVERIFY(sequencer()->CommandQueue().isEmpty());
            QTest::qWait(50);
            QCOMPARE(encoder()->received().size(), 0);
        } else {
            QTRY_COMPARE(received(), QList<QByteArray>{wire});
            QCOMPARE(readinessQueries(), 1);
        }
    }

    // With a transaction running, the buttons only append to the queue.
    void busyQueueOnlyAppends_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("added");
        QTest::newRow("Send") << "cmdSendCaptions" << 1;
        QTest::newRow("Send Decoder Settings") << "cmdDecoderSettings" << 1;
        QTest::newRow("Send Block Settings") << "cmdBlockingSettings" << 9;
        QTest::newRow("Refresh Article List") << "cmdRefreshArticles" << 1;
    }
    void busyQueueOnlyAppends()
    {
        QFETCH(QString, button);
        QFETCH(int, added);
        QVERIFY(connectToSimulator());
        type(QStringLiteral("txtSendCaptions"), QStringLiteral("HELLO"));
        sequencer()->AddCommand(QStringLiteral("M"), QStringLiteral("OFF"));
        click(button);
        QCOMPARE(sequencer()->CommandQueue().size(), 1 + added);
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QTest::qWait(50);
        QCOMPARE(encoder()->received().size(), 0);
    }

    void decoderSettings_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("V-Chip") << "oDecoderSettings_9" << QByteArray("\x01M VCHIP\r");
        QTest::newRow("Off") << "oDecoderSettings_10" << QByteArray("\x01M OFF\r");
        QTest::newRow("XDS") << "oDecoderSettings_8" << QByteArray("\x01M XDS\r");
        QTest::newRow("T4") << "oDecoderSettings_7" << QByteArray("\x01M T4\r");
    }
    void decoderSettings()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, wire);
        QVERIFY(connectToSimulator());
        check(option, true);
        click(QStringLiteral("cmdDecoderSettings"));
        QVERIFY(sequencer()->timerCommTimeout()->isActive()); // a transaction started
        QTRY_VERIFY(drained());
        QCOMPARE(received(), QList<QByteArray>{wire});
    }

    void blockingSettings()
    {
        QVERIFY(connectToSimulator());
        for (int i = 0; i < 9; ++i)
            check(QStringLiteral("chBlockingSettings_%1").arg(i), i == 4);
        click(QStringLiteral("cmdBlockingSettings"));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY(drained());
        const QList<QByteArray> expected{"\x01"
                                         "7 C1\r",
                                         "\x01"
                                         "7 C2\r",
                                         "\x01"
                                         "7 C3\r",
                                         "\x01"
                                         "7 C4\r",
                                         "\x01"
                                         "6 TX\r",
                                         "\x01"
                                         "7 T1\r",
                                         "\x01"
                                         "7 T2\r",
                                         "\x01"
                                         "7 T3\r",
                                         "\x01"
                                         "7 T4\r"};
        QCOMPARE(received(), expected);
    }

    void refreshArticles()
    {
        QVERIFY(connectToSimulator());
        auto *list = control<QPlainTextEdit>(QStringLiteral("txtArticleList"));
        click(QStringLiteral("cmdRefreshArticles"));
        QCOMPARE(list->toPlainText(), QStringLiteral("Refreshing..."));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY(drained());
        QCOMPARE(received(), QList<QByteArray>{"\x01"
                                               "9\r"});
        QVERIFY(list->toPlainText() != QLatin1String("Refreshing..."));
    }

    void loadAndRemoveArticle()
    {
        const QString path = writeFile(QStringLiteral("Weather.txt"), "Sunny\r\nWarm\r\n");
        QVERIFY(!path.isEmpty());
        QVERIFY(connectToSimulator());
        m_window->LoadPath = QStringLiteral("/start/here/");
        m_dialogs->openPaths << path;
        check(QStringLiteral("oInsertArticles_2"), true);
        type(QStringLiteral("txtInsArticleRepeat"), QStringLiteral("12"));

        click(QStringLiteral("cmdInsArticle"));
        QCOMPARE(m_dialogs->dialogTitles, QStringList{"Open File"});
        QCOMPARE(m_dialogs->dialogFilters, QStringList{"Text Files (.txt)|*.txt"});
        QCOMPARE(m_dialogs->dialogFolders, QStringList{"/start/here/"});
        QCOMPARE(m_window->LoadPath, m_dir.path() + QLatin1Char('/'));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        QCOMPARE(received(), (QList<QByteArray>{"\x01"
                                                "0 Weather T3 12\rSunny\rWarm\r\x03",
                                                "\x01"
                                                "9\r"}));
        QCOMPARE(encoder()->articleNames(), QStringList{"Weather"});

        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        QTRY_VERIFY(names->findText(QStringLiteral("Weather")) >= 0);
        names->setCurrentIndex(names->findText(QStringLiteral("Weather")));
        encoder()->clearReceived();
        click(QStringLiteral("cmdRemoveArticle"));
        QVERIFY(sequencer()->timerCommTimeout()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 20000);
        QCOMPARE(received(), (QList<QByteArray>{"\x01"
                                                "4 Weather D\r",
                                                "\x01"
                                                "9\r"}));
        QVERIFY(encoder()->articleNames().isEmpty());
    }

    void loadCancelledQueuesNothing()
    {
        QVERIFY(connectToSimulator());
        m_window->LoadPath = QStringLiteral("/start/here/");
        click(QStringLiteral("cmdInsArticle"));
        QCOMPARE(m_dialogs->dialogTitles.size(), 1);
        QVERIFY(sequencer()->CommandQueue().isEmpty());
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QCOMPARE(m_window->LoadPath, QStringLiteral("/start/here/"));
    }

    // A file that cannot be read leaves only the list request, which the Load button does not
    // start: the queue then holds one command, not two.
    void loadUnreadableFile()
    {
        QVERIFY(connectToSimulator());
        m_dialogs->openPaths << m_dir.filePath(QStringLiteral("gone.txt"));
        click(QStringLiteral("cmdInsArticle"));
        QCOMPARE(sequencer()->CommandQueue().size(), 1);
        QCOMPARE(sequencer()->CommandQueue().first().mode, QStringLiteral("9"));
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void removeWithNothingSelectedDoesNothing()
    {
        // Not connected: not even the offer to connect appears.
        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        names->addItem(QStringLiteral("Weather"));
        names->setCurrentIndex(-1);
        m_window->actions()->cmdRemoveArticle_Click();
        QVERIFY(m_dialogs->shown.isEmpty());
        QVERIFY(sequencer()->CommandQueue().isEmpty());
    }

    // An entry without a name removes nothing; the list request still goes into the queue, and
    // with one command there instead of two the sequencer is not started.
    void removeNamelessEntryOnlyAsksForTheList()
    {
        QVERIFY(connectToSimulator());
        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        names->addItem(QString());
        names->setCurrentIndex(names->count() - 1);
        click(QStringLiteral("cmdRemoveArticle"));
        QCOMPARE(sequencer()->CommandQueue().size(), 1);
        QCOMPARE(sequencer()->CommandQueue().first().mode, QStringLiteral("9"));
        QVERIFY(!sequencer()->timerCommTimeout()->isActive());
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // Declining the offer to connect queues nothing; "Send" asks even with an empty text.
    void declinedConnection_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Send, empty") << "cmdSendCaptions"
                                     << "";
        QTest::newRow("Send") << "cmdSendCaptions"
                              << "HELLO";
        QTest::newRow("Send Decoder Settings") << "cmdDecoderSettings"
                                               << "";
        QTest::newRow("Send Block Settings") << "cmdBlockingSettings"
                                             << "";
        QTest::newRow("Refresh Article List") << "cmdRefreshArticles"
                                              << "";
        QTest::newRow("Load") << "cmdInsArticle"
                              << "";
        QTest::newRow("Remove") << "cmdRemoveArticle"
                                << "";
    }
    void declinedConnection()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        type(QStringLiteral("txtSendCaptions"), text);
        auto *names = control<QComboBox>(QStringLiteral("cmbRemoveArticle"));
        names->addItem(QStringLiteral("Weather"));
        names->setCurrentIndex(0);
        m_dialogs->answers << DialogService::Answer::No;
        QMetaObject::invokeMethod(m_window->actions(),
                                  qPrintable(button + QStringLiteral("_Click")));
        QCOMPARE(m_dialogs->texts(),
                 QStringList{"A connection is not currently active.  Would you like to attempt "
                             "to connect now?"});
        QVERIFY(m_dialogs->dialogTitles.isEmpty());
        QVERIFY(sequencer()->CommandQueue().isEmpty());
    }
};

QTEST_MAIN(tst_EncoderActions)
#include "tst_encoder_actions.moc"
