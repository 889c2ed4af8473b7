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
#include <QRegularExpression>
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
        // The port list: 1 the pseudo-terminal, 2 a missing device, 3 the simulated encoder.
        // "<pty>" stands for the pseudo-terminal, "<sim>" for the simulated encoder.
        QTest::addColumn<QString>("storedPort");
        QTest::addColumn<QString>("storedDevice");
        QTest::addColumn<bool>("asked");     // the simulator asked for in the environment
        QTest::addColumn<QString>("device"); // opened by Connect ("" none: the port message)
        QTest::addColumn<int>("port");

        auto row = [](const char *name, const char *port, const char *device, bool asked,
                      const char *opened, int number) {
            QTest::newRow(name) << QString(port) << QString(device) << asked << QString(opened)
                                << number;
        };
        row("first start", "", "", false, "<pty>", 1);
        row("first start, asked", "", "", true, "<sim>", 3);
        row("device found at its new place", "2", "<pty>", false, "<pty>", 1);
        row("device gone is kept", "2", "/nonexistent/gone", false, "", 2);
        row("asked, device gone is kept", "2", "/nonexistent/gone", true, "", 2);
        row("asked, number stored", "1", "", true, "<pty>", 1);
        row("number of the simulator entry", "3", "", false, "", 3);
        row("simulator chosen is kept", "1", "<sim>", false, "<sim>", 3);
    }

    void storedDeviceAndSimulator()
    {
        QFETCH(QString, storedPort);
        QFETCH(QString, storedDevice);
        QFETCH(bool, asked);
        QFETCH(QString, device);
        QFETCH(int, port);
        PtyPair pty;
        QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
        const auto path = [&](QString name) {
            return name.replace("<pty>", pty.slavePath()).replace("<sim>", "Simulated encoder");
        };
        if (!storedPort.isEmpty())
            store("Port", storedPort);
        if (!storedDevice.isEmpty())
            store("Device", path(storedDevice));
        if (asked)
            qputenv("QUILLCAST_SIMULATOR", "1");
        Link link({pty.slavePath(), QStringLiteral("/nonexistent/ttyQ1")});
        QCOMPARE(int(link.loaded().port), port);

        link.sequencer->cmdConnect_Click();
        QCOMPARE(link.channel()->PortIsOpen(), !device.isEmpty());
        QCOMPARE(link.channel()->CommClass()->simulatedEncoder() != nullptr, device == "<sim>");
        QCOMPARE(link.dialogs.texts(),
                 device.isEmpty() ? QStringList{"The port could not be opened.  Please check that "
                                                "the port it is not in use by another application."}
                                  : QStringList{});

        // Closing stores the device the port stands for, never a stand-in.
        link.sequencer->disconnectLink();
        PortSettingsStore::SaveAppSettings(link.channel(), link.loadPath, QString());
        const QString expected = device.isEmpty() ? path(storedDevice) : path(device);
        QCOMPARE(AppSettings::get("COMSettings", "Device"), expected);
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

    void dialogListsPortsFoundAtEachShowing()
    {
        PtyPair early, late;
        QVERIFY2(early.isValid() && late.isValid(), qPrintable(early.errorString()));
        store("Devices", early.slavePath() + ";/nonexistent/ttyQ1");
        ScriptedDialogs dialogs;
        QWidget window;
        auto *sequencer = new Sequencer(&window, &window); // the channel scans as the program does
        frmPortSettings dialog(sequencer, &window);
        const auto rows = [&] {
            QStringList entries;
            for (int i = 0; i < dialog.cmbCOMPort()->count(); ++i)
                entries << dialog.cmbCOMPort()->itemText(i) + " = " +
                               dialog.cmbCOMPort()->itemData(i).toString();
            return entries.filter(QRegularExpression("\\((/nonexistent|/dev/pts|Sim)"));
        };
        COMSettings current = kDefaults;
        current.device = late.slavePath();
        sequencer->CommIFace()->setCOMSettings(current);
        dialog.show();
        // The chosen device, not plugged in yet, is shown as it is; nothing takes its place.
        QCOMPARE(rows().mid(0, 2),
                 (QStringList{QStringLiteral("COM 1 (%1 not found) = 1").arg(late.slavePath()),
                              QStringLiteral("COM 1 (%1) = 1").arg(early.slavePath())}));
        QCOMPARE(dialog.cmbCOMPort()->currentIndex(), 0);
        QVERIFY(rows().last().endsWith(
            "(Simulated encoder) = " +
            QString::number(sequencer->CommIFace()->CommClass()->TotalPorts())));
        dialog.hide();

        // The adapter is plugged in while the program runs: the next showing offers and selects it.
        store("Devices", late.slavePath() + ";" + early.slavePath());
        dialog.show();
        QCOMPARE(rows().mid(0, 2),
                 (QStringList{QStringLiteral("COM 1 (%1) = 1").arg(late.slavePath()),
                              QStringLiteral("COM 2 (%1) = 2").arg(early.slavePath())}));
        QCOMPARE(dialog.cmbCOMPort()->currentIndex(), 0);
        QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        QCOMPARE(sequencer->CommIFace()->getCOMSettings().device, late.slavePath());

        // Connect opens the device by its path, whatever number it had when it was chosen.
        current.port = 2;
        sequencer->CommIFace()->setCOMSettings(current);
        sequencer->cmdConnect_Click();
        QVERIFY(sequencer->CommIFace()->PortIsOpen());
        QVERIFY(late.read().endsWith("\x01?\r"));
        sequencer->disconnectLink();
    }

    void dialogSelectsCurrentSettings_data()
    {
        QTest::addColumn<COMSettings>("current");
        QTest::addColumn<QStringList>("shown");

        // No device in the list: the channel's port is shown as it is, not the simulated encoder.
        const QString none = QStringLiteral("COM 1 (no device)");
        QTest::newRow("defaults") << kDefaults << QStringList{none, "1200", "Odd", "7"};
        QTest::newRow("values outside the lists")
            << lineSettings(9, 110, "M", 8, 2)
            << QStringList{"COM 9 (no device)", "1200", "Even", "7"};
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
        QTest::addColumn<bool>("dropped"); // the link closes while the question is up
        QTest::newRow("yes disconnects and applies") << true << false;
        QTest::newRow("no keeps everything") << false << false;
        QTest::newRow("yes after the link closed never reconnects") << true << true;
    }

    void okWhileConnected()
    {
        QFETCH(bool, yes);
        QFETCH(bool, dropped);
        COMSettings simulated = kDefaults;
        simulated.device = Communications::simulatedDeviceName();
        Dialog d(simulated);
        d.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
        d.sequencer->cmdConnect_Click();
        QTRY_COMPARE(d.sequencer->linkState(), 1);
        if (dropped)
            d.dialogs.whileShown = [&](const QString &) { d.sequencer->disconnectLink(); };

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
