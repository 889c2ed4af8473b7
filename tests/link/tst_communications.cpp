#include "LineSettings.h"
#include "PtyPair.h"
#include "TestSettings.h"
#include "common/AppSettings.h"
#include "link/Communications.h"
#include "link/SerialPortDevice.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QtTest>

#include <termios.h>

namespace {

// Port 1 is a pseudo-terminal whose master side the test holds; port 2 the simulated encoder.
struct PtyPort
{
    PtyPair pty;
    Communications comm{QStringList{pty.slavePath()}};

    bool open(const COMSettings &settings = lineSettings(1))
    {
        comm.setCOMSettings(settings);
        return pty.isValid() && comm.Connect();
    }
};

} // namespace

// The serial port wrapper: paced output, the settings it refuses and passes to the line, and
// the port list.
class TestCommunications : public QObject
{
    Q_OBJECT
private slots:

    void init() { TestSettings::wipe(); }

    void pacedPieces_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("steps"); // "wN" a write of N characters, "p20" a pause

        QTest::newRow("empty") << 0 << QStringList{"w0"};
        QTest::newRow("51") << 51 << QStringList{"w51"};
        QTest::newRow("52") << 52 << QStringList{"w50", "p20", "w2"};
        QTest::newRow("101") << 101 << QStringList{"w50", "p20", "w51"};
        QTest::newRow("102") << 102 << QStringList{"w50", "p20", "w50", "p20", "w2"};
        QTest::newRow("120") << 120 << QStringList{"w50", "p20", "w50", "p20", "w20"};
    }

    void pacedPieces()
    {
        QFETCH(int, length);
        QFETCH(QStringList, steps);

        Communications comm(QStringList{});
        COMSettings settings = lineSettings(comm.SimulatedPort());
        settings.device = Communications::simulatedDeviceName();
        comm.setCOMSettings(settings);
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
            text += QChar(i % 26 == 25 ? 0xE9 : 'A' + i % 26); // é goes out as one byte
        comm.SetOutput(text);

        QCOMPARE(seen, steps);
        QCOMPARE(joined, text.toLatin1());
    }

    void refusesSettings_data()
    {
        QTest::addColumn<int>("port"); // 1: the pseudo-terminal, 2: the simulated encoder's entry
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<bool>("opens");

        QTest::newRow("complete") << 1 << 1200 << "O" << 7 << 1 << true;
        // The simulated encoder opens only when the settings name it, never by its list position.
        QTest::newRow("simulator's place, not chosen") << 2 << 1200 << "O" << 7 << 1 << false;
        QTest::newRow("port 0") << 0 << 1200 << "O" << 7 << 1 << false;
        QTest::newRow("port beyond the list") << 99 << 1200 << "O" << 7 << 1 << false;
        QTest::newRow("baud 0") << 1 << 0 << "O" << 7 << 1 << false;
        QTest::newRow("parity empty") << 1 << 1200 << "" << 7 << 1 << false;
        QTest::newRow("data bits 0") << 1 << 1200 << "O" << 0 << 1 << false;
        QTest::newRow("stop bits 0") << 1 << 1200 << "O" << 7 << 0 << false;
        // What the terminal driver cannot take.
        QTest::newRow("parity X") << 1 << 9600 << "X" << 8 << 1 << false;
        QTest::newRow("9 data bits") << 1 << 9600 << "N" << 9 << 1 << false;
        QTest::newRow("3 stop bits") << 1 << 9600 << "N" << 8 << 3 << false;
    }

    void refusesSettings()
    {
        QFETCH(int, port);
        QFETCH(int, baud);
        QFETCH(QString, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QFETCH(bool, opens);

        PtyPort line;
        QVERIFY(line.pty.isValid());
        QVERIFY(!line.comm.Connect()); // as created: port 0
        QCOMPARE(line.open(lineSettings(port, baud, parity, dataBits, stopBits)), opens);
        QCOMPARE(line.comm.PortIsOpen(), opens);
    }

    void mapsSettingsOntoTheLine_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<QSerialPort::Parity>("portParity");

        QTest::newRow("1200,O,7,1")
            << 1200 << "O" << 7 << 1 << speed_t(B1200) << QSerialPort::OddParity;
        QTest::newRow("9600,N,8,1")
            << 9600 << "N" << 8 << 1 << speed_t(B9600) << QSerialPort::NoParity;
        QTest::newRow("2400,E,7,2")
            << 2400 << "E" << 7 << 2 << speed_t(B2400) << QSerialPort::EvenParity;
        QTest::newRow("19200,N,8,2")
            << 19200 << "N" << 8 << 2 << speed_t(B19200) << QSerialPort::NoParity;
    }

    void mapsSettingsOntoTheLine()
    {
        QFETCH(int, baud);
        QFETCH(QString, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QFETCH(speed_t, speed);
        QFETCH(QSerialPort::Parity, portParity);

        PtyPort line;
        const COMSettings settings = lineSettings(1, baud, parity, dataBits, stopBits);
        QVERIFY(line.open(settings));

        // What reaches the terminal driver (a pseudo-terminal keeps 8 bits without parity
        // whatever it is told, so those two are checked on the port object below).
        termios t{};
        QCOMPARE(::tcgetattr(line.pty.slaveFd(), &t), 0);
        QCOMPARE(::cfgetospeed(&t), speed);
        QCOMPARE(bool(t.c_cflag & CSTOPB), stopBits == 2);
        QVERIFY(!(t.c_cflag & CRTSCTS));
        QVERIFY(!(t.c_iflag & (IXON | IXOFF)));

        SerialPortDevice device(line.pty.slavePath());
        QVERIFY(device.setLineSettings(settings));
        QCOMPARE(device.port()->baudRate(), baud);
        QCOMPARE(device.port()->parity(), portParity);
        QCOMPARE(int(device.port()->dataBits()), dataBits);
        QCOMPARE(int(device.port()->stopBits()), stopBits);
        QCOMPARE(device.port()->flowControl(), QSerialPort::NoFlowControl);
    }

    void portListOrder()
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
        const QStringList expected =
            (QStringList{"/nonexistent/ttyQ9", pty.slavePath()} + system).mid(0, 16) +
            QStringList{"Simulated encoder"};

        QStringList listed;
        for (int k = 1; k <= comm.TotalPorts(); ++k)
            listed << comm.PortDevice(k);
        QCOMPARE(listed, expected);
        QCOMPARE(comm.SimulatedPort(), comm.TotalPorts());
        QCOMPARE(comm.PortForDevice(pty.slavePath()), 2);
        QCOMPARE(comm.PortForDevice("Simulated encoder"), comm.TotalPorts());
        QCOMPARE(comm.PortForDevice("/dev/not-listed"), 0);

        // Sixteen devices at most, then the simulated encoder.
        QStringList many;
        for (int i = 0; i < 20; ++i)
            many << QStringLiteral("/nonexistent/tty%1").arg(i);
        AppSettings::save("COMSettings", "Devices", many.join(';'));
        QCOMPARE(Communications().PortDevice(17), QStringLiteral("Simulated encoder"));
    }

    void availability()
    {
        PtyPair pty;
        QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
        Communications comm(QStringList{"/nonexistent/ttyQ1", pty.slavePath()});

        QList<bool> available;
        for (int port = 0; port <= 4; ++port)
            available << comm.PortIsAvailable(port);
        // Port 1 is missing, 3 the simulated encoder, 0 and 4 outside the list.
        QCOMPARE(available, (QList<bool>{false, false, true, true, false}));
        QVERIFY(!comm.PortIsOpen()); // the scan leaves every port closed
        comm.setCOMSettings(lineSettings(1));
        QVERIFY(!comm.Connect());
    }
};

QTEST_GUILESS_MAIN(TestCommunications)
#include "tst_communications.moc"
