#include "GoldenFiles.h"
#include "TabsWindow.h"
#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/session/EncoderChannel.h"
#include "ui/CcLoopingController.h"
#include "ui/ConfigFileController.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

// Which of Browse, Reload File, the seconds list, Continuous Loop, Start, Stop, View Contents
// are enabled, and whether the loop timer runs.
static const QString kIdle = QStringLiteral("11111010");
static const QString kRunning = QStringLiteral("00000111");

// The CC Looping tab in the window: its file buttons, and Start and Stop on the program's own
// simulated encoder (quillcast-send --loop runs the same loop on a pseudo-terminal).
class tst_CcLoopingTab : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder; // longer than 40 characters
    QString m_file;
    std::unique_ptr<TabsWindow> m_w;

    QString text(const char *label) const { return m_w->find<QLabel>(label)->text(); }
    CcLoopingController *loop() const { return m_w->top.findChild<CcLoopingController *>(); }
    QString state() const
    {
        QString bits;
        for (const char *name :
             {"cmdCCLpBrowse", "cmdCCLpReloadFile", "cmbCCLoopingTime_2", "chCCLpInfiniteTime",
              "cmdCCLpLoopControl_0", "cmdCCLpLoopControl_1", "cmdCCLpViewFile"})
            bits += m_w->find(name)->isEnabled() ? '1' : '0';
        return bits + (m_w->find<QTimer>("timerCCLoopingTimeout")->isActive() ? '1' : '0');
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("captions for the evening news")) + '/';
        QVERIFY(m_folder.size() > 40 && QDir().mkpath(m_folder));
        m_file = m_folder + QStringLiteral("loop.txt");
        QVERIFY(writeFile(
            m_file, "//LINEDELAY=2\r\n//LOOPDELAY=3\r\n//CCCHANNEL=2\r\nFirst\r\nSecond\r\n"));
        QFile big(m_folder + "big.txt");
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxTextFileSize + 1));
    }
    void init() { m_w = std::make_unique<TabsWindow>(); }
    void cleanup() { m_w.reset(); }

    void fileButtons()
    {
        ScriptedDialogs &dialogs = m_w->dialogs;
        m_w->click("cmdCCLpReloadFile");
        m_w->click("cmdCCLpBrowse"); // cancelled
        QCOMPARE(dialogs.texts(), QStringList{"No file selected to reload."});
        QCOMPARE(text("lblCCLpCurFileName"), QString());

        dialogs.clear();
        dialogs.openPaths << m_file;
        m_w->click("cmdCCLpBrowse");
        QCOMPARE(text("lblCCLpCurFilePath"), m_folder.left(37) + "...");
        QCOMPARE(text("lblCCLpCurFileName"), QStringLiteral("loop.txt"));
        QCOMPARE(loop()->ccLoopLines(), (QStringList{"First", "Second"}));
        QCOMPARE(text("lblCCLpLineDelay") + text("lblCCLpLoopDelay") + text("lblCCLpCCChannel"),
                 QStringLiteral("232"));
        m_w->click("cmdCCLpViewFile");
        QCOMPARE(dialogs.openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_file)});

        // A file beyond the size limit is refused with a message that names the limit, one that
        // cannot be read without a word; either shows its name, changes nothing else and cannot
        // start.
        dialogs.clear();
        for (const QString name : {"big.txt", "gone.txt"}) {
            loop()->selectCCLoopingFile(m_folder + name);
            QCOMPARE(text("lblCCLpCurFileName"), name);
            QCOMPARE(loop()->ccLoopLines(), (QStringList{"First", "Second"}));
        }
        m_w->click("cmdCCLpLoopControl_0");
        QCOMPARE(dialogs.texts().size(), 2);
        QVERIFY(dialogs.texts()[0].contains(QString::number(MaxTextFileSize >> 20) + " MiB"));
        QCOMPARE(dialogs.texts()[1], QStringLiteral("Please select a CC Looping file."));
    }

    // A greyed "Continuous Loop" (a loaded value of 2) is not continuous: the time counts.
    void startRefused_data()
    {
        QTest::addColumn<Qt::CheckState>("continuous");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("timeLeft");
        QTest::addColumn<QString>("idle");
        const QStringList noTime{"Please select the amount of time to loop for."};
        QTest::newRow("no time") << Qt::Unchecked << noTime << "N/A" << kIdle;
        QTest::newRow("greyed, no time") << Qt::PartiallyChecked << noTime << "N/A" << kIdle;
        QTest::newRow("not connected, No")
            << Qt::Checked
            << QStringList{"A connection is not currently active.  Would you like to attempt to "
                           "connect now?"}
            << "Continuous"
            << "11011010";
    }
    void startRefused()
    {
        QFETCH(Qt::CheckState, continuous);
        loop()->selectCCLoopingFile(m_file);
        m_w->check("chCCLpInfiniteTime")->setCheckState(continuous);
        m_w->dialogs.answers << DialogService::Answer::No;
        m_w->click("cmdCCLpLoopControl_0");
        QTEST(m_w->dialogs.texts(), "messages");
        QTEST(text("lblCCLpTimeLeft"), "timeLeft");
        QTEST(state(), "idle");
    }

    // Connected, a file selected, 00:00:05, Start; then Disconnect and File New stop the loop
    // without a word, a port closed any other way is found by the next tick, and the countdown
    // ends it on the window's fifth one-second tick.
    void loopEnds_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Disconnect") << 0 << QStringList();
        QTest::newRow("File New") << 1 << QStringList();
        QTest::newRow("port closed")
            << 2 << QStringList{"CC Looping: Connection to the unit has been lost!"};
        QTest::newRow("time up") << 3 << QStringList{"CC Looping has completed."};
        QTest::newRow("encoder silent")
            << 4
            << QStringList{
                   "Quillcast could not connect to the Encoder.  Please check the cabling "
                   "and that the COM Port settings match the Encoder Serial Port settings."};
    }
    void loopEnds()
    {
        QFETCH(int, how);
        QVERIFY(m_w->connect());
        loop()->selectCCLoopingFile(m_file);
        m_w->set("cmbCCLoopingTime_2", 5);
        m_w->click("cmdCCLpLoopControl_0");
        QCOMPARE(state(), kRunning);
        m_w->dialogs.defaultAnswer = DialogService::Answer::No; // keep no changes
        if (how == 0)
            m_w->top.cmdConnect()->click();
        else if (how == 1)
            m_w->top.files()->newFile();
        else if (how == 2)
            m_w->link()->channel()->closePort();
        bool stoppedBehindBox = how != 4;
        if (how == 4) {
            // The reply time-out ends the link before its box shows: behind the box the loop has
            // stopped as Disconnect stops it, and the window's ticks bring up nothing more.
            m_w->dialogs.whileShown = [&, held = 0](const QString &) mutable {
                stoppedBehindBox = state() == kIdle;
                while (held++ < 4)
                    m_w->top.tick();
            };
            m_w->link()->replyTimedOut();
        }
        for (int second = 1; how == 3 && second <= 5; ++second) {
            QCOMPARE(text("lblCCLpTimeLeft"),
                     second == 1 ? "N/A" : "00:00:0" + QString::number(6 - second));
            m_w->top.tick();
        }
        QTRY_COMPARE(state(), kIdle);
        QVERIFY(stoppedBehindBox);
        QTEST(m_w->dialogs.texts().filter(QRegularExpression("CC Looping|Encoder")), "messages");
        QCOMPARE(text("lblCCLpTimeLeft"), QStringLiteral("N/A"));
    }
};

QTEST_MAIN(tst_CcLoopingTab)
#include "tst_cc_looping_tab.moc"
