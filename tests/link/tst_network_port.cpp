#include "FullConfiguration.h"
#include "LineSettings.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"
#include "link/TcpSerialDevice.h"
#include "link/TrafficLog.h"
#include "link/frmPortSettings.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/frmMainWindow.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kNotOpened = QStringLiteral("The port could not be opened.  Please check that the "
                                          "port it is not in use by another application.");
const QString kNoReply =
    QStringLiteral("Quillcast could not connect to the Encoder.  Please check the cabling and "
                   "that the COM Port settings match the Encoder Serial Port settings.");
const QString kIdentification = QStringLiteral("Connected to Orvane Simulated Encoder, Serial");

// The window over quillcast-encoder-sim serving on a loopback TCP port.
struct Window
{
    SimProcess sim;
    bool started;
    ScriptedDialogs dialogs;
    frmMainWindow w{DefaultInfo{"Quill Network", "KQIL", "1234"}};

    explicit Window(const QStringList &options)
        : started((TestSettings::wipe(), sim.start(QStringList{"--tcp", "0"} + options)))
    {
    }
    Sequencer *link() const { return w.sequencer(); }
    TrafficLog *log() const { return w.findChild<TrafficLog *>(QStringLiteral("trafficLog")); }
    QString panel(int index) const { return w.textPanel(index)->text(); }
    bool drained() const
    {
        return link()->CommandQueue().isEmpty() && !link()->timerCommTimeout()->isActive();
    }
    int count(TrafficEntry::Direction direction) const
    {
        int n = 0;
        for (int row = 0; row < log()->rowCount(); ++row)
            n += log()->entry(row).direction == direction;
        return n;
    }
};

QStringList fileLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

// Encoders reached through a serial device server: a port written tcp://HOST:PORT.
class tst_NetworkPort : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase();
    void addresses_data();
    void addresses();
    void cannotOpen_data();
    void cannotOpen();
    void sendConfigurationToATypedAddress();
    void droppedConnectionMidSend();
    void sendToolWritesTheTrafficLog();
};

void tst_NetworkPort::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qunsetenv("QUILLCAST_SIMULATOR");
}

void tst_NetworkPort::addresses_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    QTest::newRow("address") << "tcp://127.0.0.1:4001" << true << "127.0.0.1" << 4001;
    QTest::newRow("host name, capitals") << "TCP://rack-7.plant:23" << true << "rack-7.plant" << 23;
    QTest::newRow("blanks around") << " tcp://10.0.0.2:65535 " << true << "10.0.0.2" << 65535;
    QTest::newRow("no port") << "tcp://127.0.0.1" << false << "" << 0;
    QTest::newRow("port 0") << "tcp://127.0.0.1:0" << false << "" << 0;
    QTest::newRow("port too high") << "tcp://127.0.0.1:65536" << false << "" << 0;
    QTest::newRow("no host") << "tcp://:4001" << false << "" << 0;
    QTest::newRow("path") << "tcp://127.0.0.1:4001/x" << false << "" << 0;
    QTest::newRow("serial device") << "/dev/ttyUSB0" << false << "" << 0;
}

void tst_NetworkPort::addresses()
{
    QFETCH(QString, entry);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    QString parsedHost;
    quint16 parsedPort = 0;
    QCOMPARE(TcpSerialDevice::parseAddress(entry, &parsedHost, &parsedPort), valid);
    if (valid) {
        QCOMPARE(parsedHost, host);
        QCOMPARE(int(parsedPort), port);
    }
}

// A refused connection or an unusable address is a port that cannot be opened: the same
// message, and the link stays as it was.
void tst_NetworkPort::cannotOpen_data()
{
    QTest::addColumn<QString>("address");
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QString refused = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    QTest::newRow("refused") << refused;
    QTest::newRow("no port") << "tcp://127.0.0.1";
}

void tst_NetworkPort::cannotOpen()
{
    QFETCH(QString, address);
    ScriptedDialogs dialogs;
    QWidget window;
    auto *channel = new CommInterface(new Communications(QStringList{address}));
    Sequencer sequencer(&window, channel);
    channel->setCOMSettings(lineSettings(1, 1200, "O", 7, 1));
    TrafficLog log;
    log.attach(&sequencer);

    QVERIFY(channel->CommClass()->PortIsAvailable(1));
    sequencer.cmdConnect_Click();
    QVERIFY(!channel->PortIsOpen());
    QCOMPARE(dialogs.texts(), QStringList{kNotOpened});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
    QCOMPARE(sequencer.linkState(), -1);
    QCOMPARE(log.rowCount(), 1);
    QVERIFY2(log.entry(0).text.startsWith(QStringLiteral("could not open ") + address),
             qPrintable(log.entry(0).text));
}

// The operator types the address into Port Settings, connects and sends the configuration:
// every command reaches the encoder and is answered, as over a serial line.
void tst_NetworkPort::sendConfigurationToATypedAddress()
{
    const QString encoderLog = m_home.filePath(QStringLiteral("encoder.log"));
    Window window({QStringLiteral("--log"), encoderLog});
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    const QString address = window.sim.slavePath();
    QVERIFY2(address.startsWith(QLatin1String("tcp://127.0.0.1:")), qPrintable(address));

    ConfigurationBinder::apply(&window.w, fullConfiguration());
    frmPortSettings dialog(window.link(), &window.w);
    dialog.show();
    QLineEdit *typed = dialog.cmbCOMPort()->lineEdit();
    QVERIFY(typed);
    typed->selectAll();
    QTest::keyClicks(typed, address);
    dialog.cmbBaud()->setCurrentIndex(3); // 9600: shown and stored, not applied
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
    QVERIFY(dialog.isHidden());
    const CommInterface *channel = window.link()->CommIFace();
    QCOMPARE(channel->CommClass()->PortDevice(channel->getCOMSettings().port), address);
    QCOMPARE(channel->getCOMSettings().baud, 9600);
    QCOMPARE(dialog.cmbCOMPort()->currentText(),
             QStringLiteral("COM %1 (%2)").arg(channel->getCOMSettings().port).arg(address));

    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window.panel(2), kIdentification, 5000);
    QTest::mouseClick(window.w.cmdSendConfig(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.drained(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(window.w.cmdSendConfig()->text(),
                              QStringLiteral("Send Confi&guration"), 5000);
    QCOMPARE(window.panel(0), QStringLiteral(" Connected"));
    QVERIFY2(window.dialogs.shown.isEmpty(), qPrintable(window.dialogs.texts().join('\n')));

    // Each command the log shows as sent arrived whole at the encoder and was answered.
    using D = TrafficEntry::Direction;
    const int sent = window.count(D::Sent);
    QVERIFY(sent > 2);
    QCOMPARE(window.count(D::Received), sent);
    QCOMPARE(fileLines(encoderLog).size(), sent);
    QVERIFY(fileLines(encoderLog).last().endsWith(QLatin1String("\t<SOH>9<CR>")));
}

// The device server goes away in the middle of a send: as with an unplugged adapter the port
// still counts as open, the reply time-out reports the silence, empties the queue and
// disconnects.
void tst_NetworkPort::droppedConnectionMidSend()
{
    Window window({QStringLiteral("--reply-delay"), QStringLiteral("200")});
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"),
                      window.sim.slavePath());
    frmMainWindow w(DefaultInfo{"Quill Network", "KQIL", "1234"}); // reads the stored device
    ConfigurationBinder::apply(&w, fullConfiguration());           // many commands to send
    Sequencer *link = w.sequencer();
    QCOMPARE(link->CommIFace()->CommClass()->PortDevice(link->CommIFace()->getCOMSettings().port),
             window.sim.slavePath());

    QSignalSpy lost(link->CommIFace()->CommClass(), &Communications::lineLost);
    QSignalSpy replies(link, &Sequencer::replyReceived);
    QTest::mouseClick(w.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(link->linkState(), 1, 5000);
    replies.clear();
    QTest::mouseClick(w.cmdSendConfig(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(replies.size() >= 1, 10000);
    window.sim.stop();
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5000);

    QVERIFY(link->CommIFace()->PortIsOpen());
    QVERIFY2(!link->CommandQueue().isEmpty(), "sent completely before the drop");
    QVERIFY(link->timerCommTimeout()->isActive());
    link->timerCommTimeout_Timer(); // the reply time-out, driven
    QCOMPARE(window.dialogs.texts(), QStringList{kNoReply});
    QCOMPARE(window.dialogs.shown.first().icon, DialogService::Icon::Critical);
    QVERIFY(link->CommandQueue().isEmpty());
    QVERIFY(!link->CommIFace()->PortIsOpen());
    QCOMPARE(w.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QCOMPARE(w.cmdConnect()->text(), QStringLiteral("&Connect"));
    QVERIFY(w.cmdConnect()->isEnabled());
    const TrafficLog *log = w.findChild<TrafficLog *>(QStringLiteral("trafficLog"));
    QVERIFY(log->text().contains(QStringLiteral("line lost: ") + window.sim.slavePath()));
}

// quillcast-send over the network, writing the traffic log in the window's line format.
void tst_NetworkPort::sendToolWritesTheTrafficLog()
{
    Window window({});
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    const QString file = m_home.filePath(QStringLiteral("station.qcf"));
    window.dialogs.savePaths << file;
    window.w.files()->mnuSaveFileAs_Click();
    QVERIFY(QFile::exists(file));

    const QString address = window.sim.slavePath();
    const QString trafficLog = m_home.filePath(QStringLiteral("traffic.txt"));
    QProcess send;
    send.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"),
               {file, QStringLiteral("--device"), address, QStringLiteral("--log"), trafficLog});
    QVERIFY(send.waitForFinished(30000));
    QCOMPARE(send.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(send.readAllStandardOutput());
    const QRegularExpressionMatch answered =
        QRegularExpression(QStringLiteral("all (\\d+) commands answered")).match(out);
    QVERIFY2(answered.hasMatch(), qPrintable(out));

    const QStringList lines = fileLines(trafficLog);
    const QString stamp = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  ");
    QVERIFY(lines.size() > 4);
    QVERIFY2(QRegularExpression(QStringLiteral("^") + stamp +
                                QRegularExpression::escape("-      connected to " + address) +
                                QStringLiteral("$"))
                 .match(lines.first())
                 .hasMatch(),
             qPrintable(lines.first()));
    QCOMPARE(lines.at(1).mid(12), QStringLiteral("  >  ?   <ETX><CR><SOH>?<CR>"));
    QCOMPARE(lines.last().mid(12), QStringLiteral("  -      disconnected from ") + address);
    // Command and reply alternate, each reply under the mode of its command.
    const QStringList exchange = lines.mid(1, lines.size() - 2);
    QCOMPARE(exchange.size(), 2 * (answered.captured(1).toInt() + 1));
    for (int i = 0; i < exchange.size(); i += 2) {
        QCOMPARE(exchange.at(i).mid(12, 5), QStringLiteral("  >  "));
        QCOMPARE(exchange.at(i + 1).mid(12, 5), QStringLiteral("  <  "));
        QCOMPARE(exchange.at(i + 1).mid(17, 4), exchange.at(i).mid(17, 4));
    }
    QCOMPARE(exchange.at(exchange.size() - 2).mid(12), QStringLiteral("  >  9   <SOH>9<CR>"));
}

QTEST_MAIN(tst_NetworkPort)
#include "tst_network_port.moc"
