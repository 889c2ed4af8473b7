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
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

const QString kDisconnectQuestion = QStringLiteral(
    "The port is currently open, and must be closed to apply the new settings.  You will need "
    "to re-connect once the settings are applied.  Continue?");

// A sequencer over a port list given outright; the simulated encoder follows the list.
struct Link
{
    QWidget window;
    Sequencer *sequencer;

    explicit Link(const QStringList &devices = {})
    {
        sequencer = new Sequencer(&window, new CommInterface(new Communications(devices)), &window);
    }
    CommInterface *channel() const { return sequencer->CommIFace(); }
};

COMSettings settings(int port, int baud, const QString &parity, int dataBits, int stopBits)
{
    COMSettings s;
    s.port = qint16(port);
    s.baud = baud;
    s.parity = parity;
    s.dataBits = qint16(dataBits);
    s.StopBits = qint16(stopBits);
    return s;
}

QString stored(const QString &section, const QString &key)
{
    return AppSettings::get(section, key, QStringLiteral("<absent>"));
}

} // namespace

class tst_PortSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultsOnAnEmptyStore();
    void storedNumbers_data();
    void storedNumbers();
    void storeRoundTrip();
    void deviceFindsItsPortAgain();
    void simulatorChosenWhenAsked_data();
    void simulatorChosenWhenAsked();
    void lastFileWrittenOnlyWhenSet();
    void findIndexIgnoresCase_data();
    void findIndexIgnoresCase();

    void dialogLayout();
    void dialogListsAvailablePorts();
    void dialogSelectsCurrentSettings_data();
    void dialogSelectsCurrentSettings();
    void okHandsNewSettingsOver();
    void okWhileConnected_data();
    void okWhileConnected();
    void cancelChangesNothing();
    void f1OpensPortHelp();
};

void tst_PortSettings::initTestCase()
{
    // The default data folder is made under the home folder: keep it out of the real one.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void tst_PortSettings::init()
{
    TestSettings::wipe();
    qunsetenv("QUILLCAST_SIMULATOR");
}

void tst_PortSettings::cleanup()
{
    qunsetenv("QUILLCAST_SIMULATOR");
}

void tst_PortSettings::defaultsOnAnEmptyStore()
{
    Link link({QStringLiteral("/nonexistent/ttyQ0")});
    QString loadPath;
    QString lastFile = QStringLiteral("stale");
    PortSettingsStore::LoadAppSettings(link.channel(), &loadPath, &lastFile);

    const COMSettings &s = link.channel()->getCOMSettings();
    QCOMPARE(s.port, qint16(1));
    QCOMPARE(s.settingsText(), QStringLiteral("1200,O,7,1"));
    QCOMPARE(lastFile, QString());
    QCOMPARE(loadPath, PortSettingsStore::DefaultLoadPath());
    QVERIFY(loadPath.startsWith(m_home.path()));
    QVERIFY(loadPath.endsWith(QLatin1String("/Quillcast Data Files/")));
    QVERIFY(QDir(loadPath).exists());
}

void tst_PortSettings::storedNumbers_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected"); // settingsText() after loading, port before a blank

    QTest::newRow("baud not a number") << "Baud"
                                       << "fast"
                                       << "1 0,O,7,1";
    QTest::newRow("baud empty") << "Baud"
                                << ""
                                << "1 0,O,7,1";
    QTest::newRow("baud with blanks") << "Baud"
                                      << " 9600 "
                                      << "1 9600,O,7,1";
    QTest::newRow("baud with letters after") << "Baud"
                                             << "9600x"
                                             << "1 0,O,7,1";
    QTest::newRow("port not a number") << "Port"
                                       << "COM2"
                                       << "0 1200,O,7,1";
    QTest::newRow("port too large") << "Port"
                                    << "40000"
                                    << "0 1200,O,7,1";
    QTest::newRow("data bits") << "Data Bits"
                               << "8"
                               << "1 1200,O,8,1";
    QTest::newRow("stop bits not a number") << "Stop Bits"
                                            << "one"
                                            << "1 1200,O,7,0";
    QTest::newRow("parity as stored") << "Parity"
                                      << "e"
                                      << "1 1200,e,7,1";
}

void tst_PortSettings::storedNumbers()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    AppSettings::save(QStringLiteral("COMSettings"), key, value);
    const COMSettings s = PortSettingsStore::LoadCOMSettings();
    QCOMPARE(QString::number(s.port) + QLatin1Char(' ') + s.settingsText(), expected);
}

void tst_PortSettings::storeRoundTrip()
{
    const QStringList devices = {QStringLiteral("/nonexistent/ttyQ0"),
                                 QStringLiteral("/nonexistent/ttyQ1")};
    {
        Link link(devices);
        link.channel()->setCOMSettings(settings(2, 9600, QStringLiteral("N"), 8, 1));
        PortSettingsStore::SaveAppSettings(link.channel(), QStringLiteral("/data/plant/"),
                                           QStringLiteral("/data/plant/news.qcf"));
    }
    QCOMPARE(stored("COMSettings", "Port"), QStringLiteral("2"));
    QCOMPARE(stored("COMSettings", "Baud"), QStringLiteral("9600"));
    QCOMPARE(stored("COMSettings", "Parity"), QStringLiteral("N"));
    QCOMPARE(stored("COMSettings", "Data Bits"), QStringLiteral("8"));
    QCOMPARE(stored("COMSettings", "Stop Bits"), QStringLiteral("1"));
    QCOMPARE(stored("COMSettings", "Device"), QStringLiteral("/nonexistent/ttyQ1"));
    QCOMPARE(stored("Application", "Load Path"), QStringLiteral("/data/plant/"));
    QCOMPARE(stored("Application", "Last File"), QStringLiteral("/data/plant/news.qcf"));

    Link again(devices);
    QString loadPath;
    QString lastFile;
    PortSettingsStore::LoadAppSettings(again.channel(), &loadPath, &lastFile);
    QVERIFY(again.channel()->getCOMSettings() == settings(2, 9600, "N", 8, 1));
    QCOMPARE(loadPath, QStringLiteral("/data/plant/"));
    QCOMPARE(lastFile, QStringLiteral("/data/plant/news.qcf"));
}

void tst_PortSettings::deviceFindsItsPortAgain()
{
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Port"), QStringLiteral("2"));
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"),
                      QStringLiteral("/nonexistent/ttyQ1"));
    // The adapter now comes first in the list.
    Link link({QStringLiteral("/nonexistent/ttyQ1"), QStringLiteral("/nonexistent/ttyQ0")});
    QString loadPath;
    QString lastFile;
    PortSettingsStore::LoadAppSettings(link.channel(), &loadPath, &lastFile);
    QCOMPARE(link.channel()->getCOMSettings().port, qint16(1));

    // A stored device that is gone leaves the stored number.
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"),
                      QStringLiteral("/nonexistent/gone"));
    PortSettingsStore::LoadAppSettings(link.channel(), &loadPath, &lastFile);
    QCOMPARE(link.channel()->getCOMSettings().port, qint16(2));
}

void tst_PortSettings::simulatorChosenWhenAsked_data()
{
    QTest::addColumn<QString>("storedDevice"); // "<pty>": the pseudo-terminal, an available port
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("expectedPort");
    QTest::newRow("nothing stored") << QString() << true << 3;
    QTest::newRow("stored device gone") << "/nonexistent/gone" << true << 3;
    QTest::newRow("stored device unavailable") << "/nonexistent/ttyQ1" << true << 3;
    QTest::newRow("stored device available") << "<pty>" << true << 1;
    QTest::newRow("not asked: stored number") << QString() << false << 2;
    QTest::newRow("not asked: listed device") << "/nonexistent/ttyQ1" << false << 2;
}

void tst_PortSettings::simulatorChosenWhenAsked()
{
    QFETCH(QString, storedDevice);
    QFETCH(bool, asked);
    QFETCH(int, expectedPort);
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    if (storedDevice == QLatin1String("<pty>"))
        storedDevice = pty.slavePath();
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Port"), QStringLiteral("2"));
    if (!storedDevice.isEmpty())
        AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"), storedDevice);
    if (asked)
        qputenv("QUILLCAST_SIMULATOR", "1");
    Link link({pty.slavePath(), QStringLiteral("/nonexistent/ttyQ1")});
    QString loadPath;
    QString lastFile;
    PortSettingsStore::LoadAppSettings(link.channel(), &loadPath, &lastFile);
    QCOMPARE(int(link.channel()->getCOMSettings().port), expectedPort);
}

void tst_PortSettings::lastFileWrittenOnlyWhenSet()
{
    AppSettings::save(QStringLiteral("Application"), QStringLiteral("Last File"),
                      QStringLiteral("/data/old.qcf"));
    Link link;
    PortSettingsStore::SaveAppSettings(link.channel(), QStringLiteral("/data/"), QString());
    QCOMPARE(stored("Application", "Last File"), QStringLiteral("/data/old.qcf"));
}

void tst_PortSettings::findIndexIgnoresCase_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("list"); // 0 bauds, 1 parities, 2 data bits
    QTest::addColumn<int>("expected");
    QTest::newRow("9600") << "9600" << 0 << 3;
    QTest::newRow("110 is not listed") << "110" << 0 << 0;
    QTest::newRow("lower-case e") << "e" << 1 << 0;
    QTest::newRow("lower-case n") << "n" << 1 << 2;
    QTest::newRow("8,1") << "8,1" << 2 << 1;
    QTest::newRow("8,2 is not listed") << "8,2" << 2 << 0;
}

void tst_PortSettings::findIndexIgnoresCase()
{
    QFETCH(QString, value);
    QFETCH(int, list);
    QFETCH(int, expected);
    const QList<PortSettingsStore::ListRow> *lists[] = {&PortSettingsStore::Bauds(),
                                                        &PortSettingsStore::Parities(),
                                                        &PortSettingsStore::DataBits()};
    QCOMPARE(PortSettingsStore::FindIndex(value, *lists[list]), expected);
}

void tst_PortSettings::dialogLayout()
{
    Link link;
    frmPortSettings dialog(link.sequencer, &link.window);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Port Settings"));
    auto *frame = dialog.findChild<QGroupBox *>(QStringLiteral("fCOMSettings"));
    QVERIFY(frame);
    QCOMPARE(frame->title(), QStringLiteral("COM Settings"));

    const QStringList captions = {"COM Port:", "Baud:", "Parity:", "Data Bits:"};
    const QStringList lists = {"cmbCOMPort", "cmbBaud", "cmbParity", "cmbDataStopBits"};
    for (int i = 0; i < captions.size(); ++i) {
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblPortSettings_%1").arg(i));
        QVERIFY(label);
        QCOMPARE(label->text(), captions.at(i));
        QCOMPARE(label->buddy(), dialog.findChild<QComboBox *>(lists.at(i)));
    }
    auto texts = [](const QComboBox *list) {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all << list->itemText(i);
        return all;
    };
    QCOMPARE(texts(dialog.cmbBaud()),
             (QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600"}));
    QCOMPARE(dialog.cmbBaud()->itemData(6).toInt(), 57600);
    QCOMPARE(texts(dialog.cmbParity()), (QStringList{"Even", "Odd", "None"}));
    QCOMPARE(texts(dialog.cmbDataStopBits()), (QStringList{"7", "8"}));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(),
             QStringLiteral("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("CancelButton"))->text(),
             QStringLiteral("Cancel"));
}

void tst_PortSettings::dialogListsAvailablePorts()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Link link({pty.slavePath(), QStringLiteral("/nonexistent/ttyQ1")});
    frmPortSettings dialog(link.sequencer, &link.window);

    QCOMPARE(dialog.cmbCOMPort()->count(), 2);
    QCOMPARE(dialog.cmbCOMPort()->itemText(0), QStringLiteral("COM 1 (%1)").arg(pty.slavePath()));
    QCOMPARE(dialog.cmbCOMPort()->itemData(0).toInt(), 1);
    QCOMPARE(dialog.cmbCOMPort()->itemText(1), QStringLiteral("COM 3 (Simulated encoder)"));
    QCOMPARE(dialog.cmbCOMPort()->itemData(1).toInt(), 3);
}

void tst_PortSettings::dialogSelectsCurrentSettings_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("defaults") << 1 << 1200 << "O" << 7 << 1
                              << QStringList{"COM 1 (Simulated encoder)", "1200", "Odd", "7"};
    QTest::newRow("lower-case parity")
        << 1 << 19200 << "e" << 8 << 1
        << QStringList{"COM 1 (Simulated encoder)", "19200", "Even", "8"};
    QTest::newRow("values outside the lists")
        << 9 << 110 << "M" << 8 << 2
        << QStringList{"COM 1 (Simulated encoder)", "1200", "Even", "7"};
}

void tst_PortSettings::dialogSelectsCurrentSettings()
{
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(QString, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(QStringList, shown);
    Link link;
    link.channel()->setCOMSettings(settings(port, baud, parity, dataBits, stopBits));
    frmPortSettings dialog(link.sequencer, &link.window);
    dialog.show();
    QCOMPARE(
        (QStringList{dialog.cmbCOMPort()->currentText(), dialog.cmbBaud()->currentText(),
                     dialog.cmbParity()->currentText(), dialog.cmbDataStopBits()->currentText()}),
        shown);
}

void tst_PortSettings::okHandsNewSettingsOver()
{
    ScriptedDialogs dialogs;
    Link link;
    link.channel()->setCOMSettings(settings(1, 1200, QStringLiteral("e"), 7, 1));
    frmPortSettings dialog(link.sequencer, &link.window);
    dialog.show();
    dialog.cmbBaud()->setCurrentIndex(3);
    dialog.cmbDataStopBits()->setCurrentIndex(1);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);

    QVERIFY(!dialog.isVisible());
    QVERIFY(link.channel()->getCOMSettings() == settings(1, 9600, "E", 8, 1));
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(!link.channel()->PortIsOpen()); // the dialog never connects
}

void tst_PortSettings::okWhileConnected_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes disconnects and applies") << true;
    QTest::newRow("no keeps everything") << false;
}

void tst_PortSettings::okWhileConnected()
{
    QFETCH(bool, yes);
    ScriptedDialogs dialogs;
    dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
    Link link;
    link.channel()->setCOMSettings(settings(1, 1200, QStringLiteral("O"), 7, 1));
    link.sequencer->cmdConnect_Click();
    QTRY_COMPARE(link.sequencer->linkState(), 1);

    frmPortSettings dialog(link.sequencer, &link.window);
    dialog.show();
    dialog.cmbBaud()->setCurrentIndex(1);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);

    QCOMPARE(dialogs.texts(), QStringList{kDisconnectQuestion});
    QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
    QCOMPARE(dialog.isVisible(), !yes);
    QCOMPARE(link.channel()->PortIsOpen(), !yes);
    QCOMPARE(link.sequencer->linkState(), yes ? 0 : 1);
    QCOMPARE(link.channel()->getCOMSettings().baud, yes ? 2400 : 1200);
}

void tst_PortSettings::cancelChangesNothing()
{
    Link link;
    link.channel()->setCOMSettings(settings(1, 1200, QStringLiteral("O"), 7, 1));
    frmPortSettings dialog(link.sequencer, &link.window);
    dialog.show();
    dialog.cmbBaud()->setCurrentIndex(6);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("CancelButton")),
                      Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(link.channel()->getCOMSettings().baud, 1200);

    // The next showing selects the channel's settings again.
    dialog.show();
    QCOMPARE(dialog.cmbBaud()->currentText(), QStringLiteral("1200"));
}

void tst_PortSettings::f1OpensPortHelp()
{
    ScriptedDialogs dialogs;
    Link link;
    frmPortSettings dialog(link.sequencer, &link.window);
    dialog.show();
    QTest::keyClick(dialog.cmbBaud(), Qt::Key_F1);
    QCOMPARE(dialogs.openedUrls.size(), 1);
    QCOMPARE(dialogs.openedUrls.first().fragment(), QStringLiteral("Port_Menu.htm"));
    QVERIFY(dialogs.openedUrls.first().path().endsWith(QLatin1String("/Help Files/Quillcast.htm")));
    QVERIFY(dialog.isVisible());
}

QTEST_MAIN(tst_PortSettings)
#include "tst_portsettings.moc"
