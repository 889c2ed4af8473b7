#include "DataRows.h"
#include "FullListener.h"
#include "PtyPair.h"
#include "Ser2net.h"
#include "SimLink.h"
#include "SimProcess.h"

#include "core/session/DeviceChannel.h"
#include "core/session/TrafficLog.h"
#include "core/transport/TcpSerialDevice.h"
#include "ui/dialogs/PortSettingsDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

// A loopback port with no listener: connecting is refused.
quint16 closedPort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

} // namespace

// Encoders reached through a serial device server: a port written tcp://HOST:PORT.
class tst_NetworkPort : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() { qputenv("HOME", QFile::encodeName(m_home.path())); }

    // tests/data/network-address.rows
    void addresses_data() { addRows("network-address", {"entry", "parsed"}); }
    void addresses()
    {
        QFETCH(QString, entry);
        QFETCH(QString, parsed);
        QString host;
        quint16 port = 0;
        const bool valid = TcpSerialDevice::parseAddress(entry, &host, &port);
        QCOMPARE(valid ? host + ':' + QString::number(port) : QString(), parsed);
    }

    // The port opens in the event loop, and Send Configuration waits for it with its commands
    // queued and no reply time-out running. A refusal, or no answer within 5 s (a listener whose
    // backlog is full never answers), is a port that cannot be opened: the message, an empty
    // queue, Disconnected and the reason in the traffic log.
    void openGoesOnInTheEventLoop_data()
    {
        QTest::addColumn<QString>("ending"); // refused, silent
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << "refused"
                                 << "Connection refused";
        QTest::newRow("no answer") << "silent"
                                   << "no answer within 5 s";
    }
    void openGoesOnInTheEventLoop()
    {
        QFETCH(QString, ending);
        QFETCH(QString, reason);
        QList<int> fds;
        const quint16 port = ending == "refused" ? closedPort() : fullListener(&fds);
        QVERIFY(port != 0);
        const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(port);
        SimLink link({address});
        LineSettings settings = lineSettings(1, 1200, "O", 7, 1);
        settings.device = address;
        link.channel()->setCOMSettings(settings);
        TrafficLog log;
        log.attach(link.sequencer);
        QSignalSpy failed(link.sequencer, &Sequencer::transactionFailed);
        link.sequencer->setConfigurationBuilder([&] { link.sequencer->addCommand("P", "01 41"); });

        link.messages->sendConfiguration(); // "connect now?" Yes
        QVERIFY(link.channel()->portIsOpening());
        QCOMPARE(link.sequencer->linkState(), Sequencer::LinkState::Sending);
        QCOMPARE(link.sequencer->commandQueue().size(), 1);
        QVERIFY(!link.timeout()->isActive());
        QTimer *openTimer = link.channel()->port()->openTimer();
        QVERIFY(openTimer->isActive() && openTimer->interval() == 5000);
        if (ending == "silent")
            QMetaObject::invokeMethod(openTimer, "timeout"); // 5 s later
        QTRY_COMPARE(link.sequencer->linkState(), Sequencer::LinkState::Disconnected);

        for (int fd : std::as_const(fds))
            ::close(fd);
        QVERIFY(!link.channel()->portIsOpen() && !link.channel()->portIsOpening());
        QCOMPARE(link.dialogs.texts().value(1), kNotOpened);
        QVERIFY(link.sequencer->commandQueue().isEmpty());
        QVERIFY(!link.sequencer->timerSendConfigDisable()->isActive());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toInt(), int(Sequencer::Failure::PortNotOpened));
        QCOMPARE(failed.at(0).at(1).toString(), reason);
        QCOMPARE(log.entry(log.rowCount() - 1).text,
                 "could not open " + address + " (" + reason + ")");
    }

    // A device server that greets each connection: the greeting answers nothing and is dropped,
    // also when it waits in the system already when the readiness query is due (the event loop
    // busy with other ports meanwhile).
    void greetingIsDropped()
    {
        PtyPair pty;
        Ser2net server;
        const QStringList ports = server.start({{"raw", pty.slavePath(), "9600n81", "Hello"}});
        QVERIFY2(pty.isValid() && !ports.isEmpty(), qPrintable(server.errorString()));
        Sequencer link(channelForDevice(ports.first(), lineSettings(1)));
        PortLine *port = link.channel()->port();
        connect(port, &PortLine::portOpened, this, [port] {
            for (QDeadlineTimer busy(2000); port->inputBufferCount() == 0 && !busy.hasExpired();)
                QThread::msleep(5);
        });
        QSignalSpy replies(&link, &Sequencer::replyReceived);
        link.toggleConnection();
        QVERIFY(pty.answer("\x03\r\x01?\r", "Orvane\r\n*"));
        QTRY_COMPARE(replies.value(0).value(0).toString(), "Orvane\r\n*");
    }

    // The operator types the address into Port Settings and connects: commands are answered as
    // over a serial line. The device server then goes away in the middle of a send: the
    // transaction ends at once, without waiting for the reply time-out.
    void typedAddressThenDroppedConnection()
    {
        SimProcess sim;
        QVERIFY2(sim.start({"--tcp", "0", "--reply-delay", "200"}), qPrintable(sim.errorString()));
        SimLink link;
        PortSettingsDialog dialog(link.sequencer, &link.window);
        dialog.show();
        dialog.cmbCOMPort()->lineEdit()->selectAll();
        QTest::keyClicks(dialog.cmbCOMPort()->lineEdit(), sim.slavePath());
        QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        TrafficLog log;
        log.attach(link.sequencer);
        QSignalSpy failed(link.sequencer, &Sequencer::transactionFailed);
        QVERIFY(link.connect());
        QSignalSpy replies(link.sequencer, &Sequencer::replyReceived);
        link.sequencer->addCommand("P", "01 41");
        link.sequencer->addCommand("P", "01 42");
        link.sequencer->addCommand("P", "01 43");
        link.sequencer->startTransaction();
        QTRY_COMPARE(replies.count(), 2); // the readiness query's and the first command's
        const QString address = sim.slavePath();
        sim.stop();
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 2000); // well within the 5000 ms time-out

        QCOMPARE(failed.at(0).at(0).toInt(), int(Sequencer::Failure::LineLost));
        QCOMPARE(link.dialogs.texts(),
                 QStringList{"The connection could not be verified with the unit, and the port "
                             "appears to be closed.  Please connect and try again."});
        QVERIFY(link.sequencer->commandQueue().isEmpty() && !link.channel()->portIsOpen());
        QVERIFY(!link.timeout()->isActive() &&
                link.sequencer->linkState() == Sequencer::LinkState::Disconnected);
        QVERIFY(log.text().contains("line lost: " + address + " (The remote host closed"));
    }
};

QTEST_MAIN(tst_NetworkPort)
#include "tst_network_port.moc"
