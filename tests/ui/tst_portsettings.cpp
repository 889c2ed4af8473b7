#include "DataRows.h"
#include "PtyPair.h"
#include "SimLink.h"
#include "TestSettings.h"

#include "core/common/AppSettings.h"
#include "ui/dialogs/PortSettingsDialog.h"
#include "ui/settings/PortSettingsStore.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// 1200,O,7,1 on port 1, as at a first start.
const LineSettings kDefaults = lineSettings(1, 1200, "O", 7, 1);

// The dialog over a channel with the given settings.
struct Dialog : SimLink
{
    PortSettingsDialog dialog{sequencer, &window};

    Dialog() = default;
    explicit Dialog(const LineSettings &current) { channel()->setCOMSettings(current); }
    QStringList shown()
    {
        dialog.show();
        return {dialog.cmbCOMPort()->currentText(), dialog.cmbBaud()->currentText(),
                dialog.cmbParity()->currentText(), dialog.cmbDataStopBits()->currentText()};
    }
    void ok() { QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton); }
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
        qputenv("HOME", QFile::encodeName(m_home.path()));
    }

    void init()
    {
        TestSettings::wipe();
        qunsetenv("QUILLCAST_SIMULATOR");
    }

    void defaultsOnAnEmptyStore()
    {
        SimLink link({QStringLiteral("/nonexistent/ttyQ0")});
        QString loadPath, lastFile = QStringLiteral("stale");
        PortSettingsStore::loadAppSettings(link.channel(), &loadPath, &lastFile);
        QVERIFY(link.channel()->getCOMSettings() == kDefaults);
        QCOMPARE(lastFile, QString());
        QVERIFY(loadPath.startsWith(m_home.path()));
        QVERIFY(loadPath.endsWith("/Quillcast Data Files/"));
        QVERIFY(QDir(loadPath).exists());
    }

    // tests/data/stored-numbers.rows
    void storedNumbers_data() { addRows("stored-numbers", {"key", "value", "expected"}); }
    void storedNumbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        store(key, value);
        const LineSettings s = PortSettingsStore::loadLineSettings();
        QCOMPARE(QString::number(s.port) + QLatin1Char(' ') + s.settingsText(), expected);
    }

    // An empty last file leaves the stored one.
    void saveKeepsTheLastFile()
    {
        SimLink link;
        PortSettingsStore::saveAppSettings(link.channel(), "/data/plant/", "/data/plant/news.qcf");
        PortSettingsStore::saveAppSettings(link.channel(), "/data/", QString());
        QCOMPARE(AppSettings::get("Application", "Last File"), "/data/plant/news.qcf");
    }

    // tests/data/stored-port.rows
    void storedDeviceAndSimulator_data()
    {
        addRows("stored-port", {"storedPort", "storedDevice", "asked", "device", "port"});
    }
    void storedDeviceAndSimulator()
    {
        QFETCH(QString, storedPort);
        QFETCH(QString, storedDevice);
        QFETCH(QString, asked);
        QFETCH(QString, device);
        QFETCH(QString, port);
        PtyPair pty;
        const auto path = [&](QString name) {
            return name.replace("<pty>", pty.slavePath()).replace("<sim>", "Simulated encoder");
        };
        if (!storedPort.isEmpty())
            store("Port", storedPort);
        if (!storedDevice.isEmpty())
            store("Device", path(storedDevice));
        if (!asked.isEmpty())
            qputenv("QUILLCAST_SIMULATOR", "1");
        SimLink link({pty.slavePath(), QStringLiteral("/nonexistent/ttyQ1")});
        QString loadPath, lastFile;
        PortSettingsStore::loadAppSettings(link.channel(), &loadPath, &lastFile);
        QCOMPARE(QString::number(link.channel()->getCOMSettings().port), port);

        link.sequencer->toggleConnection();
        QCOMPARE(link.channel()->portIsOpen(), !device.isEmpty());
        QCOMPARE(link.encoder() != nullptr, device == "<sim>");
        // A network port is refused from the event loop.
        QTRY_COMPARE(link.dialogs.texts(),
                     device.isEmpty() ? QStringList{kNotOpened} : QStringList{});

        // Closing stores the device the port stands for, never a stand-in.
        link.sequencer->disconnectLink();
        PortSettingsStore::saveAppSettings(link.channel(), loadPath, QString());
        const QString expected = device.isEmpty() ? path(storedDevice) : path(device);
        QCOMPARE(AppSettings::get("COMSettings", "Device"), expected);
    }

    void dialogListsPortsFoundAtEachShowing()
    {
        PtyPair early, late;
        store("Devices", early.slavePath() + ";/nonexistent/ttyQ1");
        ScriptedDialogs dialogs;
        QWidget window;
        auto *sequencer = new Sequencer(&window); // the channel scans as the program does
        PortSettingsDialog dialog(sequencer, &window);
        QComboBox *list = dialog.cmbCOMPort();
        const auto entry = [list](int i) {
            return list->itemText(i) + " = " + list->itemData(i).toString();
        };
        LineSettings current = kDefaults;
        current.device = late.slavePath();
        sequencer->channel()->setCOMSettings(current);
        dialog.show();
        // The chosen device, not plugged in yet, is shown as it is; nothing takes its place.
        QCOMPARE(entry(0), QStringLiteral("COM 1 (%1 not found) = 1").arg(late.slavePath()));
        QCOMPARE(entry(1), QStringLiteral("COM 1 (%1) = 1").arg(early.slavePath()));
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(list->itemData(list->count() - 1).toInt(),
                 sequencer->channel()->port()->totalPorts());
        dialog.hide();

        // The adapter is plugged in while the program runs: the next showing offers and selects it.
        store("Devices", late.slavePath() + ";" + early.slavePath());
        dialog.show();
        QCOMPARE(entry(0), QStringLiteral("COM 1 (%1) = 1").arg(late.slavePath()));
        QCOMPARE(entry(1), QStringLiteral("COM 2 (%1) = 2").arg(early.slavePath()));
        QCOMPARE(list->currentIndex(), 0);
        QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        QCOMPARE(sequencer->channel()->getCOMSettings().device, late.slavePath());

        // Connect opens the device by its path, whatever number it had when it was chosen.
        current.port = 2;
        sequencer->channel()->setCOMSettings(current);
        sequencer->toggleConnection();
        QVERIFY(late.read().endsWith("\x01?\r"));
        sequencer->disconnectLink();
    }

    // No device in the list: the channel's port is shown as it is, not the simulated encoder;
    // values outside the lists show the first entry. OK hands the values of the lists over.
    void dialogShowsAndAppliesSettings()
    {
        QCOMPARE(Dialog(lineSettings(9, 110, "M", 8, 2)).shown(),
                 (QStringList{"COM 9 (no device)", "1200", "Even", "7"}));
        Dialog d(lineSettings(1, 1200, "o", 7, 1));
        QCOMPARE(d.shown(), (QStringList{"COM 1 (no device)", "1200", "Odd", "7"}));
        d.dialog.cmbBaud()->setCurrentIndex(3);
        d.dialog.cmbDataStopBits()->setCurrentIndex(1);
        d.ok();
        QVERIFY(!d.dialog.isVisible());
        QVERIFY(d.channel()->getCOMSettings() == lineSettings(1, 9600, "O", 8, 1));
        QVERIFY(d.dialogs.shown.isEmpty());
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
        Dialog d; // over the simulated encoder
        d.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
        QVERIFY(d.connect());
        if (dropped)
            d.dialogs.whileShown = [&](const QString &) { d.sequencer->disconnectLink(); };

        d.shown();
        d.dialog.cmbBaud()->setCurrentIndex(1);
        d.ok();
        QCOMPARE(
            d.dialogs.texts(),
            QStringList{"The port is currently open, and must be closed to apply the new "
                        "settings.  You will need to re-connect once the settings are applied.  "
                        "Continue?"});
        QCOMPARE(d.dialog.isVisible(), !yes);
        QCOMPARE(d.channel()->portIsOpen(), !yes);
        QCOMPARE(d.sequencer->linkState(),
                 yes ? Sequencer::LinkState::Disconnected : Sequencer::LinkState::Connected);
        QCOMPARE(d.channel()->getCOMSettings().baud, yes ? 2400 : 1200);
    }
};

QTEST_MAIN(tst_PortSettings)
#include "tst_portsettings.moc"
