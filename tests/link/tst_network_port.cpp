#include "SimLink.h"
#include "SimProcess.h"

#include "link/TcpSerialDevice.h"
#include "link/TrafficLog.h"
#include "ui/dialogs/frmPortSettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

// Encoders reached through a serial device server: a port written tcp://HOST:PORT.
class tst_NetworkPort : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() { qputenv("HOME", QFile::encodeName(m_home.path())); }

    void addresses_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("parsed"); // host:port, "" when refused
        const auto row = [](const char *name, const char *entry, const char *parsed) {
            QTest::newRow(name) << QString(entry) << QString(parsed);
        };
        row("address", "tcp://127.0.0.1:4001", "127.0.0.1:4001");
        row("host name, capitals", "TCP://rack-7.plant:23", "rack-7.plant:23");
        row("blanks around", " tcp://10.0.0.2:65535 ", "10.0.0.2:65535");
        row("no port", "tcp://127.0.0.1", "");
        row("port 0", "tcp://127.0.0.1:0", "");
        row("port too high", "tcp://127.0.0.1:65536", "");
        row("no host", "tcp://:4001", "");
        row("path", "tcp://127.0.0.1:4001/x", "");
        row("serial device", "/dev/ttyUSB0", "");
    }
    void addresses()
    {
        QFETCH(QString, entry);
        QFETCH(QString, parsed);
        QString host;
        quint16 port = 0;
        const bool valid = TcpSerialDevice::parseAddress(entry, &host, &port);
        QCOMPARE(valid ? host + ':' + QString::number(port) : QString(), parsed);
    }

    // A refused connection is a port that cannot be opened: the same message, and the link
    // stays as it was.
    void cannotOpen()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        SimLink link({address});
        link.channel()->setCOMSettings(lineSettings(1, 1200, "O", 7, 1));
        TrafficLog log;
        log.attach(link.sequencer);
        link.sequencer->cmdConnect_Click();
        QVERIFY(!link.channel()->PortIsOpen());
        QCOMPARE(link.dialogs.texts(), QStringList{kNotOpened});
        QCOMPARE(link.sequencer->linkState(), -1);
        QCOMPARE(log.rowCount(), 1);
        QVERIFY(log.entry(0).text.startsWith("could not open " + address));
    }

    // The operator types the address into Port Settings and connects: commands are answered as
    // over a serial line. The device server then goes away in the middle of a send: as with an
    // unplugged adapter the port still counts as open; the reply time-out reports the silence,
    // empties the queue and disconnects.
    void typedAddressThenDroppedConnection()
    {
        SimProcess sim;
        QVERIFY2(sim.start({"--tcp", "0", "--reply-delay", "200"}), qPrintable(sim.errorString()));
        SimLink link;
        frmPortSettings dialog(link.sequencer, &link.window);
        dialog.show();
        dialog.cmbCOMPort()->lineEdit()->selectAll();
        QTest::keyClicks(dialog.cmbCOMPort()->lineEdit(), sim.slavePath());
        QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        TrafficLog log;
        log.attach(link.sequencer);
        QSignalSpy lost(link.channel()->CommClass(), &Communications::lineLost);
        QVERIFY(link.connect());
        QSignalSpy replies(link.sequencer, &Sequencer::replyReceived);
        link.sequencer->AddCommand("P", "01 41");
        link.sequencer->AddCommand("P", "01 42");
        link.sequencer->AddCommand("P", "01 43");
        link.sequencer->StartTransaction();
        QTRY_COMPARE(replies.count(), 2); // the readiness query's and the first command's
        sim.stop();
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5000);

        QVERIFY(link.channel()->PortIsOpen() && link.timeout()->isActive());
        QCOMPARE(link.sequencer->CommandQueue().size(), 1);
        link.sequencer->timerCommTimeout_Timer(); // the reply time-out, driven
        QCOMPARE(link.dialogs.texts(),
                 QStringList{"Quillcast could not connect to the Encoder.  Please check the "
                             "cabling and that the COM Port settings match the Encoder Serial "
                             "Port settings."});
        QVERIFY(link.sequencer->CommandQueue().isEmpty() && !link.channel()->PortIsOpen());
        QVERIFY(log.text().contains("line lost: " + sim.slavePath()));
    }
};

QTEST_MAIN(tst_NetworkPort)
#include "tst_network_port.moc"
