#include "TabsWindow.h"
#include "link/CommInterface.h"
#include "ui/CcLoopingController.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Which of Browse, Reload File, the seconds list, Continuous Loop, Start, Stop, View Contents
// are enabled, and whether the loop timer runs.
const QString kIdle = QStringLiteral("11111010");
const QString kIdleContinuous = QStringLiteral("11011010");
const QString kRunning = QStringLiteral("00000111");

} // namespace

// The CC Looping tab in the window: its file buttons, and Start and Stop on the program's own
// simulated encoder (quillcast-send --loop runs the same loop on a pseudo-terminal).
class tst_CcLoopingTab : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder; // longer than 40 characters
    QString m_file;
    std::unique_ptr<TabsWindow> m_t;
    frmMainWindow *m_w = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;

    template <typename T = QWidget> T *control(const QString &name) const
    {
        return m_t->find<T>(name);
    }
    QString text(const char *label) const { return control<QLabel>(label)->text(); }
    CcLoopingController *loop() const { return m_w->findChild<CcLoopingController *>(); }
    void press(const char *button) { control<QPushButton>(button)->click(); }
    QString state() const
    {
        QString bits;
        for (const char *name :
             {"cmdCCLpBrowse", "cmdCCLpReloadFile", "cmbCCLoopingTime_2", "chCCLpInfiniteTime",
              "cmdCCLpLoopControl_0", "cmdCCLpLoopControl_1", "cmdCCLpViewFile"})
            bits += control(name)->isEnabled() ? '1' : '0';
        return bits + (control<QTimer>("timerCCLoopingTimeout")->isActive() ? '1' : '0');
    }
    // Connected to the program's own simulated encoder, a file selected, 00:00:05, Start.
    void startFiveSeconds()
    {
        QVERIFY(m_t->connect());
        loop()->selectCCLoopingFile(m_file);
        control<QComboBox>("cmbCCLoopingTime_2")->setCurrentIndex(5);
        press("cmdCCLpLoopControl_0");
        QCOMPARE(state(), kRunning);
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("captions for the evening news")) + '/';
        QVERIFY(m_folder.size() > 40 && QDir().mkpath(m_folder));
        m_file = m_folder + QStringLiteral("loop.txt");
        write(m_file, "//LINEDELAY=2\r\n//LOOPDELAY=3\r\n//CCCHANNEL=2\r\nFirst\r\nSecond\r\n");
    }
    void init()
    {
        m_t = std::make_unique<TabsWindow>();
        m_w = &m_t->top;
        m_dialogs = &m_t->dialogs;
    }
    void cleanup() { m_t.reset(); }

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
        Configuration configuration = ConfigurationBinder::read(m_w);
        configuration.captionLoopFile = other;
        m_dialogs->clear();
        ConfigurationBinder::apply(m_w, configuration);
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
        QFETCH(QString, message);
        if (select)
            loop()->selectCCLoopingFile(m_file);
        control<QCheckBox>("chCCLpInfiniteTime")->setChecked(continuous);
        m_dialogs->answers << DialogService::Answer::No;
        press("cmdCCLpLoopControl_0");
        QCOMPARE(m_dialogs->texts(), QStringList{message});
        QTEST(text("lblCCLpTimeLeft"), "timeLeft");
        QCOMPARE(state(), continuous ? kIdleContinuous : kIdle);
    }

    // Disconnect and File New stop the loop without a word; a port closed any other way is
    // found by the next tick; the countdown ends it on the window's fifth one-second tick.
    void loopEnds_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Disconnect") << 0 << QStringList();
        QTest::newRow("File New") << 1 << QStringList();
        QTest::newRow("port closed")
            << 2 << QStringList{"CC Looping: Connection to the unit has been lost!"};
        QTest::newRow("time up") << 3 << QStringList{"CC Looping has completed."};
    }
    void loopEnds()
    {
        QFETCH(int, how);
        startFiveSeconds();
        m_dialogs->defaultAnswer = DialogService::Answer::No; // keep no changes
        if (how == 0)
            m_w->cmdConnect()->click();
        else if (how == 1)
            m_w->files()->mnuNew_Click();
        else if (how == 2)
            m_w->sequencer()->CommIFace()->Disconnect();
        for (int second = 1; how == 3 && second <= 5; ++second) {
            QCOMPARE(text("lblCCLpTimeLeft"),
                     second == 1 ? "N/A" : "00:00:0" + QString::number(6 - second));
            m_w->timerSecondTick_Timer();
        }
        QTRY_COMPARE(state(), kIdle);
        QTEST(m_dialogs->texts().filter("CC Looping"), "messages");
        QCOMPARE(text("lblCCLpTimeLeft"), QStringLiteral("N/A"));
    }
};

QTEST_MAIN(tst_CcLoopingTab)
#include "tst_cc_looping_tab.moc"
