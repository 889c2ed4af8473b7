#include "PtyPair.h"
#include "TestSettings.h"
#include "common/AppSettings.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/SerialPortDevice.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>
#include <termios.h>

namespace {

COMSettings settingsFor(int port, int baud = 9600, const QString &parity = "N", int dataBits = 8,
                        int stopBits = 1)
{
    COMSettings s;
    s.port = qint16(port);
    s.baud = baud;
    s.parity = parity;
    s.dataBits = qint16(dataBits);
    s.StopBits = qint16(stopBits);
    return s;
}

} // namespace

class TestCommunications : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void pacedPieces_data();
    void pacedPieces();
    void bytesReachTheLineUnchanged();
    void closedPortSendsNothing();

    void refusesIncompleteSettings_data();
    void refusesIncompleteSettings();
    void mapsSettingsOntoTheLine_data();
    void mapsSettingsOntoTheLine();
    void refusesSettingsTheLineCannotTake_data();
    void refusesSettingsTheLineCannotTake();
    void disconnectOnClosedPortDoesNothing();

    void portListOrder();
    void portListHoldsSixteenDevicesAtMost();
    void availability();
    void portHeldElsewhereIsAvailableButDoesNotOpen();

    void receivedCharactersRaiseTheEvent();
    void vanishedDeviceStaysOpenAndQuiet();
    void simulatedEncoderOnlyWhileItsPortIsOpen();
};

void TestCommunications::init()
{
    TestSettings::wipe();
}

void TestCommunications::pacedPieces_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("steps"); // "wN" a write of N characters, "p20" a pause

    QTest::newRow("empty") << 0 << QStringList{"w0"};
    QTest::newRow("51") << 51 << QStringList{"w51"};
    QTest::newRow("52") << 52 << QStringList{"w50", "p20", "w2"};
    QTest::newRow("100") << 100 << QStringList{"w50", "p20", "w50"};
    QTest::newRow("101") << 101 << QStringList{"w50", "p20", "w51"};
    QTest::newRow("102") << 102 << QStringList{"w50", "p20", "w50", "p20", "w2"};
    QTest::newRow("120") << 120 << QStringList{"w50", "p20", "w50", "p20", "w20"};
}

void TestCommunications::pacedPieces()
{
    QFETCH(int, length);
    QFETCH(QStringList, steps);

    Communications comm(QStringList{});
    comm.setCOMSettings(settingsFor(comm.SimulatedPort()));
    QVERIFY(comm.Connect());

    QStringList seen;
    QByteArray joined;
    comm.setPause([&](int ms) { seen << QStringLiteral("p%1").arg(ms); });
    comm.setWriteObserver([&](const QByteArray &piece) {
        seen << QStringLiteral("w%1").arg(piece.size());
        joined += piece;
    });

    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar('A' + i % 26);
    comm.SetOutput(text);

    QCOMPARE(seen, steps);
    QCOMPARE(joined, text.toLatin1());
}

void TestCommunications::bytesReachTheLineUnchanged()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{pty.slavePath()});
    comm.setCOMSettings(settingsFor(1));
    QVERIFY(comm.Connect());
    comm.setPause([](int) {});

    const QString text = QStringLiteral("\x01"
                                        "2 T1\r") +
                         QChar(0xE9) + QStringLiteral("\r\x03");
    comm.SetOutput(text);
    QCOMPARE(pty.read().toHex(' '), QByteArray("\x01"
                                               "2 T1\r\xE9\r\x03")
                                        .toHex(' '));
    QCOMPARE(comm.GetOutputBufferCount(), 0);
}

void TestCommunications::closedPortSendsNothing()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{pty.slavePath()});
    int pieces = 0;
    comm.setWriteObserver([&](const QByteArray &) { ++pieces; });
    comm.SetOutput(QStringLiteral("\x01"
                                  "9\r"));
    QCOMPARE(pieces, 0);
    QVERIFY(pty.read(100).isEmpty());
}

void TestCommunications::refusesIncompleteSettings_data()
{
    QTest::addColumn<int>("port"); // -1: the simulated port
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<bool>("opens");

    // The simulated port always opens, so a refusal there can only come before the open.
    QTest::newRow("complete") << -1 << 1200 << "O" << 7 << 1 << true;
    QTest::newRow("port 0") << 0 << 1200 << "O" << 7 << 1 << false;
    QTest::newRow("baud 0") << -1 << 0 << "O" << 7 << 1 << false;
    QTest::newRow("parity empty") << -1 << 1200 << "" << 7 << 1 << false;
    QTest::newRow("data bits 0") << -1 << 1200 << "O" << 0 << 1 << false;
    QTest::newRow("stop bits 0") << -1 << 1200 << "O" << 7 << 0 << false;
    QTest::newRow("port beyond the list") << 99 << 1200 << "O" << 7 << 1 << false;
}

void TestCommunications::refusesIncompleteSettings()
{
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(QString, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(bool, opens);

    Communications comm(QStringList{});
    QVERIFY(!comm.Connect()); // as created: port 0
    comm.setCOMSettings(
        settingsFor(port < 0 ? comm.SimulatedPort() : port, baud, parity, dataBits, stopBits));
    QCOMPARE(comm.Connect(), opens);
    QCOMPARE(comm.PortIsOpen(), opens);
}

void TestCommunications::mapsSettingsOntoTheLine_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<QSerialPort::Parity>("portParity");
    QTest::addColumn<QSerialPort::DataBits>("portDataBits");

    QTest::newRow("1200,O,7,1") << 1200 << "O" << 7 << 1 << speed_t(B1200) << QSerialPort::OddParity
                                << QSerialPort::Data7;
    QTest::newRow("9600,N,8,1") << 9600 << "N" << 8 << 1 << speed_t(B9600) << QSerialPort::NoParity
                                << QSerialPort::Data8;
    QTest::newRow("2400,E,7,2") << 2400 << "E" << 7 << 2 << speed_t(B2400)
                                << QSerialPort::EvenParity << QSerialPort::Data7;
    QTest::newRow("19200,N,8,2") << 19200 << "N" << 8 << 2 << speed_t(B19200)
                                 << QSerialPort::NoParity << QSerialPort::Data8;
}

void TestCommunications::mapsSettingsOntoTheLine()
{
    QFETCH(int, baud);
    QFETCH(QString, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(speed_t, speed);
    QFETCH(QSerialPort::Parity, portParity);
    QFETCH(QSerialPort::DataBits, portDataBits);

    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{pty.slavePath()});
    comm.setCOMSettings(settingsFor(1, baud, parity, dataBits, stopBits));
    QVERIFY(comm.Connect());

    // What reaches the terminal driver (a pseudo-terminal keeps 8 bits without parity
    // whatever it is told, so those two are checked on the port object below).
    termios t{};
    QCOMPARE(::tcgetattr(pty.slaveFd(), &t), 0);
    QCOMPARE(::cfgetospeed(&t), speed);
    QCOMPARE(bool(t.c_cflag & CSTOPB), stopBits == 2);
    QVERIFY(!(t.c_cflag & CRTSCTS));
    QVERIFY(!(t.c_iflag & (IXON | IXOFF)));

    SerialPortDevice device(pty.slavePath());
    QVERIFY(device.setLineSettings(settingsFor(1, baud, parity, dataBits, stopBits)));
    QCOMPARE(device.port()->baudRate(), baud);
    QCOMPARE(device.port()->parity(), portParity);
    QCOMPARE(device.port()->dataBits(), portDataBits);
    QCOMPARE(device.port()->stopBits(),
             stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    QCOMPARE(device.port()->flowControl(), QSerialPort::NoFlowControl);
}

void TestCommunications::refusesSettingsTheLineCannotTake_data()
{
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("parity X") << "X" << 8 << 1;
    QTest::newRow("9 data bits") << "N" << 9 << 1;
    QTest::newRow("3 stop bits") << "N" << 8 << 3;
}

void TestCommunications::refusesSettingsTheLineCannotTake()
{
    QFETCH(QString, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);

    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{pty.slavePath()});
    comm.setCOMSettings(settingsFor(1, 9600, parity, dataBits, stopBits));
    QVERIFY(!comm.Connect());
    QVERIFY(!comm.PortIsOpen());
}

void TestCommunications::disconnectOnClosedPortDoesNothing()
{
    Communications comm(QStringList{});
    comm.Disconnect();
    QVERIFY(!comm.PortIsOpen());
    comm.setCOMSettings(settingsFor(comm.SimulatedPort()));
    QVERIFY(comm.Connect());
    comm.Disconnect();
    comm.Disconnect();
    QVERIFY(!comm.PortIsOpen());
}

void TestCommunications::portListOrder()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    AppSettings::save("COMSettings", "Devices",
                      QStringLiteral("/nonexistent/ttyQ9; %1 ;").arg(pty.slavePath()));

    Communications comm;
    QStringList system;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        system << info.systemLocation();
    system.sort();
    system.removeAll(pty.slavePath());

    QStringList expected = QStringList{"/nonexistent/ttyQ9", pty.slavePath()} + system;
    expected = expected.mid(0, 16);
    QCOMPARE(comm.TotalPorts(), expected.size() + 1);
    for (int k = 1; k <= expected.size(); ++k)
        QCOMPARE(comm.PortDevice(k), expected.at(k - 1));
    QCOMPARE(comm.SimulatedPort(), comm.TotalPorts());
    QCOMPARE(comm.PortDevice(comm.TotalPorts()), QStringLiteral("Simulated encoder"));
    QCOMPARE(Communications::simulatedDeviceName(), QStringLiteral("Simulated encoder"));
    QCOMPARE(comm.PortForDevice(pty.slavePath()), 2);
    QCOMPARE(comm.PortForDevice("Simulated encoder"), comm.TotalPorts());
    QCOMPARE(comm.PortForDevice("/dev/not-listed"), 0);
}

void TestCommunications::portListHoldsSixteenDevicesAtMost()
{
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << QStringLiteral("/nonexistent/tty%1").arg(i);
    AppSettings::save("COMSettings", "Devices", many.join(';'));

    Communications comm;
    QCOMPARE(comm.TotalPorts(), 17);
    QCOMPARE(comm.PortDevice(16), QStringLiteral("/nonexistent/tty15"));
    QCOMPARE(comm.PortDevice(17), QStringLiteral("Simulated encoder"));
    QVERIFY(comm.PortDevice(18).isEmpty());
}

void TestCommunications::availability()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{"/nonexistent/ttyQ1", pty.slavePath()});

    QCOMPARE(comm.TotalPorts(), 3);
    QVERIFY(!comm.PortIsAvailable(1)); // missing
    QVERIFY(comm.PortIsAvailable(2));
    QVERIFY(comm.PortIsAvailable(3)); // the simulated encoder
    QVERIFY(!comm.PortIsAvailable(0));
    QVERIFY(!comm.PortIsAvailable(4));
    QVERIFY(!comm.PortIsOpen()); // the scan leaves every port closed

    comm.setCOMSettings(settingsFor(1));
    QVERIFY(!comm.Connect());
}

void TestCommunications::portHeldElsewhereIsAvailableButDoesNotOpen()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    QSerialPort holder(pty.slavePath());
    QVERIFY(holder.open(QIODevice::ReadWrite));

    Communications comm(QStringList{pty.slavePath()});
    QVERIFY(comm.PortIsAvailable(1));
    comm.setCOMSettings(settingsFor(1));
    if (comm.Connect())
        QSKIP("this user may open a port that another program holds exclusively");
    QVERIFY(!comm.PortIsOpen());
}

void TestCommunications::receivedCharactersRaiseTheEvent()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    Communications comm(QStringList{pty.slavePath()});
    comm.setCOMSettings(settingsFor(1));
    QVERIFY(comm.Connect());
    QSignalSpy rx(&comm, &Communications::CharactersRx);

    QVERIFY(pty.write("\r\nOK\r\n*"));
    QVERIFY(pty.waitForSlaveInput());
    QCOMPARE(comm.GetInputBufferCount(), 7);
    QVERIFY(rx.wait(2000));
    QCOMPARE(comm.GetInput(), QStringLiteral("\r\nOK\r\n*"));
    QCOMPARE(comm.GetInputBufferCount(), 0);
    QCOMPARE(comm.GetInput(), QString());
}

void TestCommunications::vanishedDeviceStaysOpenAndQuiet()
{
    auto pty = std::make_unique<PtyPair>();
    QVERIFY2(pty->isValid(), qPrintable(pty->errorString()));
    Communications comm(QStringList{pty->slavePath()});
    comm.setCOMSettings(settingsFor(1));
    QVERIFY(comm.Connect());
    QSignalSpy rx(&comm, &Communications::CharactersRx);

    pty.reset(); // the far end disappears
    const std::clock_t cpuBefore = std::clock();
    QTest::qWait(300);
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(cpuSeconds < 0.15, qPrintable(QString::number(cpuSeconds)));

    // Still open as far as its owner knows: only the encoder time-outs notice a lost line.
    QVERIFY(comm.PortIsOpen());
    QCOMPARE(rx.count(), 0);
    comm.SetOutput(QStringLiteral("\x01"
                                  "9\r"));
    QCOMPARE(comm.GetInput(), QString());
    QCOMPARE(comm.GetOutputBufferCount(), 0);
    comm.Disconnect();
    QVERIFY(!comm.PortIsOpen());
}

void TestCommunications::simulatedEncoderOnlyWhileItsPortIsOpen()
{
    Communications comm(QStringList{});
    QVERIFY(!comm.simulatedEncoder());
    comm.setCOMSettings(settingsFor(comm.SimulatedPort()));
    QVERIFY(comm.Connect());
    QVERIFY(comm.simulatedEncoder());
    QSignalSpy rx(&comm, &Communications::CharactersRx);

    comm.SetOutput(QStringLiteral("\x01"
                                  "9\r"));
    QCOMPARE(rx.count(), 0); // the reply comes through the event loop
    QVERIFY(rx.wait(1000));
    QVERIFY(comm.GetInput().endsWith("\r\n*"));
    QCOMPARE(comm.simulatedEncoder()->received().size(), 1);

    comm.Disconnect();
    QVERIFY(!comm.simulatedEncoder());
}

QTEST_GUILESS_MAIN(TestCommunications)
#include "tst_communications.moc"
