#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"
#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "ui/CcLoopingController.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/frmMainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// The CC Looping tab in the window: its file buttons, Start and Stop, and a loop on a real
// encoder simulator.
class tst_CcLoopingTab : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder; // longer than 40 characters
    QString m_file;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmMainWindow> m_w;

    template <typename T = QWidget> T *control(const QString &name) const
    {
        T *found = m_w->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString text(const char *label) const { return control<QLabel>(label)->text(); }
    CcLoopingController *loop() const { return m_w->findChild<CcLoopingController *>(); }
    void press(const char *button) { control<QPushButton>(button)->click(); }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    void connectSimulated()
    {
        CommInterface *channel = m_w->sequencer()->CommIFace();
        COMSettings settings = channel->getCOMSettings();
        settings.port = static_cast<qint16>(channel->CommClass()->SimulatedPort());
        channel->setCOMSettings(settings);
        m_w->sequencer()->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(m_w->sequencer()->linkState(), 1, 5000);
    }
    // Idle: Browse, Reload and the check box open, the lists open unless the loop is
    // continuous, Start enabled, Stop disabled.
    bool idle() const
    {
        return control("cmdCCLpBrowse")->isEnabled() && control("cmdCCLpReloadFile")->isEnabled() &&
               control("cmbCCLoopingTime_2")->isEnabled() !=
                   control<QCheckBox>("chCCLpInfiniteTime")->isChecked() &&
               control("chCCLpInfiniteTime")->isEnabled() &&
               control("cmdCCLpLoopControl_0")->isEnabled() &&
               !control("cmdCCLpLoopControl_1")->isEnabled() &&
               !control<QTimer>("timerCCLoopingTimeout")->isActive();
    }
    bool running() const
    {
        return !control("cmdCCLpBrowse")->isEnabled() &&
               !control("cmdCCLpReloadFile")->isEnabled() &&
               !control("cmbCCLoopingTime_0")->isEnabled() &&
               !control("chCCLpInfiniteTime")->isEnabled() &&
               !control("cmdCCLpLoopControl_0")->isEnabled() &&
               control("cmdCCLpLoopControl_1")->isEnabled() &&
               control("cmdCCLpViewFile")->isEnabled() &&
               control<QTimer>("timerCCLoopingTimeout")->isActive();
    }
    void startFiveSeconds()
    {
        loop()->selectCCLoopingFile(m_file);
        control<QComboBox>("cmbCCLoopingTime_2")->setCurrentIndex(5);
        press("cmdCCLpLoopControl_0");
    }

private slots:
    void initTestCase()
    {
        TestSettings::wipe();
        m_folder = m_dir.filePath(QStringLiteral("captions for the evening news")) + '/';
        QVERIFY(m_folder.size() > 40 && QDir().mkpath(m_folder));
        m_file = m_folder + QStringLiteral("loop.txt");
        write(m_file, "//LINEDELAY=2\r\n//LOOPDELAY=3\r\n//CCCHANNEL=2\r\nFirst\r\nSecond\r\n");
    }
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_w = std::make_unique<frmMainWindow>(DefaultInfo{"NBC", "WNBC", "1"});
    }
    void cleanup()
    {
        m_w.reset();
        m_dialogs.reset();
    }

    void fileButtons()
    {
        press("cmdCCLpReloadFile");
        press("cmdCCLpBrowse"); // cancelled
        QCOMPARE(m_dialogs->texts(), QStringList{"No file selected to reload."});
        QCOMPARE(text("lblCCLpCurFileName"), QString());

        m_dialogs->clear();
        m_dialogs->openPaths << m_file;
        press("cmdCCLpBrowse");
        QCOMPARE(m_dialogs->dialogFilters, QStringList{"Text Files (.txt)|*.txt"});
        QCOMPARE(text("lblCCLpCurFilePath"), m_folder.left(37) + "...");
        QCOMPARE(control("lblCCLpCurFilePath")->toolTip(), m_folder);
        QCOMPARE(text("lblCCLpCurFileName"), QStringLiteral("loop.txt"));
        QCOMPARE(loop()->ccLoopLines(), (QStringList{"First", "Second"}));
        QCOMPARE(text("lblCCLpLineDelay") + text("lblCCLpLoopDelay") + text("lblCCLpCCChannel"),
                 QStringLiteral("232"));
        press("cmdCCLpViewFile");
        QCOMPARE(m_dialogs->openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_file)});

        // A file that cannot be read shows its name and changes nothing else; it cannot start.
        loop()->selectCCLoopingFile(m_folder + "gone.txt");
        QCOMPARE(text("lblCCLpCurFileName"), QStringLiteral("gone.txt"));
        QCOMPARE(loop()->ccLoopLines(), (QStringList{"First", "Second"}));
        QCOMPARE(text("lblCCLpLineDelay"), QStringLiteral("2"));
        QVERIFY(m_dialogs->shown.isEmpty());
        press("cmdCCLpLoopControl_0");
        QCOMPARE(m_dialogs->texts(), QStringList{"Please select a CC Looping file."});

        // A configuration's caption loop file (entry 43) is selected and read again.
        const QString other = m_dir.filePath("other.txt");
        write(other, "//LINEDELAY=5\nThird");
        Configuration configuration = ConfigurationBinder::read(m_w.get());
        configuration.captionLoopFile = other;
        m_dialogs->clear();
        ConfigurationBinder::apply(m_w.get(), configuration);
        QCOMPARE(text("lblCCLpCurFileName"), QStringLiteral("other.txt"));
        QCOMPARE(loop()->ccLoopLines(), QStringList{"Third"});
        QCOMPARE(text("lblCCLpLineDelay") + text("lblCCLpLoopDelay"), QStringLiteral("53"));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void startRefused_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("timeLeft");
        QTest::newRow("no file") << false << true << "Please select a CC Looping file."
                                 << "N/A";
        QTest::newRow("no time") << true << false << "Please select the amount of time to loop for."
                                 << "N/A";
        QTest::newRow("not connected, No")
            << true << true
            << "A connection is not currently active.  Would you like to attempt to connect now?"
            << "Continuous";
    }
    void startRefused()
    {
        QFETCH(bool, select);
        QFETCH(bool, continuous);
        if (select)
            loop()->selectCCLoopingFile(m_file);
        control<QCheckBox>("chCCLpInfiniteTime")->setChecked(continuous);
        m_dialogs->answers << DialogService::Answer::No;
        press("cmdCCLpLoopControl_0");
        QFETCH(QString, message);
        QCOMPARE(m_dialogs->texts(), QStringList{message});
        QTEST(text("lblCCLpTimeLeft"), "timeLeft");
        QVERIFY(idle());
    }

    // A timed loop: the first line at once, the countdown on the window's one-second tick, and
    // the completion message once the loop is idle again.
    void timedLoop()
    {
        connectSimulated();
        EncoderSimulator *encoder = m_w->sequencer()->CommIFace()->CommClass()->simulatedEncoder();
        encoder->clearReceived();
        startFiveSeconds();
        QVERIFY(running());
        QTRY_COMPARE(text("lblCCLoopingLastSent"), QStringLiteral("First"));
        QTRY_VERIFY(m_w->sequencer()->CommandQueue().isEmpty());
        QTRY_VERIFY(!encoder->received().isEmpty());
        QCOMPARE(encoder->received().last().bytes, QByteArray("\x01"
                                                              "2 C2\rFirst\r\x03"));

        QStringList left;
        for (int second = 0; second < 5; ++second) {
            m_w->timerSecondTick_Timer();
            left << text("lblCCLpTimeLeft");
        }
        QCOMPARE(left, (QStringList{"00:00:04", "00:00:03", "00:00:02", "00:00:01", "N/A"}));
        QCOMPARE(m_dialogs->texts(), QStringList{"CC Looping has completed."});
        QCOMPARE(m_dialogs->shown.first().icon, DialogService::Icon::Information);
        QVERIFY(idle());
    }

    // Disconnect and a configuration reset stop the loop without a word; a port closed any
    // other way is found by the next tick.
    void loopEnds_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Disconnect") << 0 << QStringList();
        QTest::newRow("File New") << 1 << QStringList();
        QTest::newRow("port closed")
            << 2 << QStringList{"CC Looping: Connection to the unit has been lost!"};
    }
    void loopEnds()
    {
        QFETCH(int, how);
        connectSimulated();
        startFiveSeconds();
        QVERIFY(running());
        m_dialogs->defaultAnswer = DialogService::Answer::No; // keep no changes
        if (how == 0)
            m_w->cmdConnect()->click();
        else if (how == 1)
            m_w->files()->mnuNew_Click();
        else
            m_w->sequencer()->CommIFace()->Disconnect();
        QTRY_VERIFY(idle());
        QTEST(m_dialogs->texts().filter("CC Looping"), "messages");
        QCOMPARE(text("lblCCLpTimeLeft"), QStringLiteral("N/A"));
    }

    // Real timers on a simulated encoder over a pseudo-terminal: each command in its log is a
    // line of the file, in order, on the file's channel.
    void loopsOnTheEncoder()
    {
        m_w.reset();
        const QString log = m_dir.filePath("encoder.log");
        SimProcess sim;
        QVERIFY2(sim.start({"--log", log}), qPrintable(sim.errorString()));
        AppSettings::save("COMSettings", "Devices", sim.slavePath());
        AppSettings::save("COMSettings", "Device", sim.slavePath());
        m_w = std::make_unique<frmMainWindow>(DefaultInfo{"NBC", "WNBC", "1"});
        const QString file = m_dir.filePath("fast.txt");
        write(file, "//LINEDELAY=1\r\n//LOOPDELAY=1\r\n//CCCHANNEL=1\r\nFirst\r\n\r\nThird\r\n");
        loop()->selectCCLoopingFile(file);
        control<QComboBox>("cmbCCLoopingTime_2")->setCurrentIndex(3);
        m_w->cmdConnect()->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_w->sequencer()->linkState(), 1, 5000);
        press("cmdCCLpLoopControl_0");
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->texts(), QStringList{"CC Looping has completed."},
                                  6000);
        QTRY_VERIFY(m_w->sequencer()->CommandQueue().isEmpty() &&
                    !m_w->sequencer()->timerCommTimeout()->isActive());

        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QByteArrayList commands;
        for (const QByteArray &entry : received.readAll().split('\n')) {
            if (!entry.isEmpty() && !entry.endsWith("?<CR>"))
                commands << entry.mid(entry.lastIndexOf('\t') + 1);
        }
        const QByteArrayList lines = {"First", "", "Third", "First"};
        QVERIFY2(commands.size() >= 2 && commands.size() <= 4, commands.join('\n'));
        for (int i = 0; i < commands.size(); ++i)
            QCOMPARE(commands[i], "<SOH>2 C1<CR>" + lines[i] + "<CR><ETX>");
    }
};

QTEST_MAIN(tst_CcLoopingTab)
#include "tst_cc_looping_tab.moc"
