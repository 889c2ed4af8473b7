#include "LineSettings.h"
#include "PtyPair.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/PortSettingsStore.h"
#include "link/Sequencer.h"
#include "link/frmPortSettings.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

// 1200,O,7,1 on port 1, as at a first start.
const COMSettings kDefaults = lineSettings(1, 1200, "O", 7, 1);

// A sequencer over a port list given outright; the simulated encoder follows the list.
struct Link
{
    ScriptedDialogs dialogs;
    QWidget window;
    Sequencer *sequencer;
    QString loadPath;
    QString lastFile = QStringLiteral("stale");

    explicit Link(const QStringList &devices = {})
    {
        sequencer = new Sequencer(&window, new CommInterface(new Communications(devices)), &window);
    }
    CommInterface *channel() const { return sequencer->CommIFace(); }
    const COMSettings &loaded()
    {
        PortSettingsStore::LoadAppSettings(channel(), &loadPath, &lastFile);
        return channel()->getCOMSettings();
    }
};

// The dialog shown over a channel with the given settings.
struct Dialog : Link
{
    frmPortSettings dialog{sequencer, &window};

    explicit Dialog(const COMSettings &current = kDefaults, const QStringList &devices = {})
        : Link(devices)
    {
        channel()->setCOMSettings(current);
    }
    QStringList shown()
    {
        dialog.show();
        return {dialog.cmbCOMPort()->currentText(), dialog.cmbBaud()->currentText(),
                dialog.cmbParity()->currentText(), dialog.cmbDataStopBits()->currentText()};
    }
    void click(const char *button)
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    }
};

void store(const QString &key, const QString &value)
{
    AppSettings::save(QStringLiteral("COMSettings"), key, value);
}

} // namespace

// The stored port settings and the Port Settings dialog.
class tst_PortSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:

    void initTestCase()
    {
        // The default data folder is made under the home folder: keep it out of the real one.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
    }

    void init()
    {
        TestSettings::wipe();
        qunsetenv("QUILLCAST_SIMULATOR");
    }

    void cleanup() { qunsetenv("QUILLCAST_SIMULATOR"); }

    void defaultsOnAnEmptyStore()
    {
        Link link({QStringLiteral("/nonexistent/ttyQ0")});
        QVERIFY(link.loaded() == kDefaults);
        QCOMPARE(link.lastFile, QString());
        QCOMPARE(link.loadPath, PortSettingsStore::DefaultLoadPath());
        QVERIFY(link.loadPath.startsWith(m_home.path()));
        QVERIFY(link.loadPath.endsWith("/Quillcast Data Files/"));
        QVERIFY(QDir(link.loadPath).exists());
    }

    void storedNumbers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected"); // settingsText() after loading, port before a blank

        auto row = [](const char *name, const char *key, const char *value, const char *expected) {
            QTest::newRow(name) << QString(key) << QString(value) << QString(expected);
        };
        row("baud not a number", "Baud", "fast", "1 0,O,7,1");
        row("baud with blanks", "Baud", " 9600 ", "1 9600,O,7,1");
        row("port not a number", "Port", "COM2", "0 1200,O,7,1");
        row("port too large", "Port", "40000", "0 1200,O,7,1");
        row("data bits", "Data Bits", "8", "1 1200,O,8,1");
        row("stop bits not a number", "Stop Bits", "one", "1 1200,O,7,0");
        row("parity as stored", "Parity", "e", "1 1200,e,7,1");
    }

    void storedNumbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        store(key, value);
        const COMSettings s = PortSettingsStore::LoadCOMSettings();
        QCOMPARE(QString::number(s.port) + QLatin1Char(' ') + s.settingsText(), expected);
    }

    void storeRoundTrip()
    {
        const QStringList devices = {"/nonexistent/ttyQ0", "/nonexistent/ttyQ1"};
        {
            Link link(devices);
            link.channel()->setCOMSettings(lineSettings(2, 9600, "N", 8, 1));
            PortSettingsStore::SaveAppSettings(link.channel(), "/data/plant/",
                                               "/data/plant/news.qcf");
        }
        QStringList stored;
        for (const char *key : {"Port", "Baud", "Parity", "Data Bits", "Stop Bits", "Device"})
            stored << AppSettings::get("COMSettings", key);
        for (const char *key : {"Load Path", "Last File"})
            stored << AppSettings::get("Application", key);
        QCOMPARE(stored, (QStringList{"2", "9600", "N", "8", "1", "/nonexistent/ttyQ1",
                                      "/data/plant/", "/data/plant/news.qcf"}));

        // An empty last file leaves the stored one.
        Link again(devices);
        PortSettingsStore::SaveAppSettings(again.channel(), "/data/", QString());
        QCOMPARE(AppSettings::get("Application", "Last File"),
                 QStringLiteral("/data/plant/news.qcf"));
    }

    void storedDeviceAndSimulator_data()
    {
        // The port list: 1 the pseudo-terminal, 2 a missing device, 3 the simulated encoder; the
        // stored port number is 2.
        QTest::addColumn<QString>("storedDevice"); // "<pty>": the pseudo-terminal
        QTest::addColumn<bool>("asked");           // the simulator asked for in the environment
        QTest::addColumn<int>("expectedPort");
        QTest::newRow("device found at its new place") << "<pty>" << false << 1;
        QTest::newRow("device gone: stored number") << "/nonexistent/gone" << false << 2;
        QTest::newRow("asked, nothing stored") << QString() << true << 3;
        QTest::newRow("asked, stored device unavailable") << "/nonexistent/ttyQ1" << true << 3;
        QTest::newRow("asked, stored device available") << "<pty>" << true << 1;
    }

    void storedDeviceAndSimulator()
    {
        QFETCH(QString, storedDevice);
        QFETCH(bool, asked);
        QFETCH(int, expectedPort);
        PtyPair pty;
        QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
        store("Port", "2");
        if (!storedDevice.isEmpty())
            store("Device", storedDevice == "<pty>" ? pty.slavePath() : storedDevice);
        if (asked)
            qputenv("QUILLCAST_SIMULATOR", "1");
        Link link({pty.slavePath(), QStringLiteral("/nonexistent/ttyQ1")});
        QCOMPARE(int(link.loaded().port), expectedPort);
    }

    void captionsAreBuddies()
    {
        Link link;
        frmPortSettings dialog(link.sequencer, &link.window);
        const QStringList lists = {"cmbCOMPort", "cmbBaud", "cmbParity", "cmbDataStopBits"};
        for (int i = 0; i < lists.size(); ++i) {
            auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblPortSettings_%1").arg(i));
            QVERIFY(label && label->buddy());
            QCOMPARE(label->buddy(), dialog.findChild<QComboBox *>(lists.at(i)));
        }
    }

    void dialogListsAvailablePorts()
    {
        PtyPair pty;
        QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
        Dialog d(kDefaults, {pty.slavePath(), "/nonexistent/ttyQ1"});
        QStringList entries;
        for (int i = 0; i < d.dialog.cmbCOMPort()->count(); ++i)
            entries << d.dialog.cmbCOMPort()->itemText(i) + " = " +
                           d.dialog.cmbCOMPort()->itemData(i).toString();
        QCOMPARE(entries, (QStringList{QStringLiteral("COM 1 (%1) = 1").arg(pty.slavePath()),
                                       "COM 3 (Simulated encoder) = 3"}));
    }

    void dialogSelectsCurrentSettings_data()
    {
        QTest::addColumn<COMSettings>("current");
        QTest::addColumn<QStringList>("shown");

        const QString sim = QStringLiteral("COM 1 (Simulated encoder)");
        QTest::newRow("defaults") << kDefaults << QStringList{sim, "1200", "Odd", "7"};
        QTest::newRow("values outside the lists")
            << lineSettings(9, 110, "M", 8, 2) << QStringList{sim, "1200", "Even", "7"};
    }

    void dialogSelectsCurrentSettings()
    {
        QFETCH(COMSettings, current);
        QFETCH(QStringList, shown);
        Dialog d(current);
        QCOMPARE(d.shown(), shown);
    }

    void okHandsNewSettingsOver()
    {
        Dialog d(lineSettings(1, 1200, "e", 7, 1));
        d.shown();
        d.dialog.cmbBaud()->setCurrentIndex(3);
        d.dialog.cmbDataStopBits()->setCurrentIndex(1);
        d.click("OKButton");

        QVERIFY(!d.dialog.isVisible());
        QVERIFY(d.channel()->getCOMSettings() == lineSettings(1, 9600, "E", 8, 1));
        QVERIFY(d.dialogs.shown.isEmpty());
        QVERIFY(!d.channel()->PortIsOpen()); // the dialog never connects
    }

    void okWhileConnected_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes disconnects and applies") << true;
        QTest::newRow("no keeps everything") << false;
    }

    void okWhileConnected()
    {
        QFETCH(bool, yes);
        Dialog d;
        d.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
        d.sequencer->cmdConnect_Click();
        QTRY_COMPARE(d.sequencer->linkState(), 1);

        d.shown();
        d.dialog.cmbBaud()->setCurrentIndex(1);
        d.click("OKButton");

        QCOMPARE(
            d.dialogs.texts(),
            QStringList{"The port is currently open, and must be closed to apply the new "
                        "settings.  You will need to re-connect once the settings are applied.  "
                        "Continue?"});
        QCOMPARE(d.dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
        QCOMPARE(d.dialogs.shown.first().icon, DialogService::Icon::Exclamation);
        QCOMPARE(d.dialog.isVisible(), !yes);
        QCOMPARE(d.channel()->PortIsOpen(), !yes);
        QCOMPARE(d.sequencer->linkState(), yes ? 0 : 1);
        QCOMPARE(d.channel()->getCOMSettings().baud, yes ? 2400 : 1200);
    }
};

QTEST_MAIN(tst_PortSettings)
#include "tst_portsettings.moc"
