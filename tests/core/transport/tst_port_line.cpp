#include "DataRows.h"
#include "LineSettings.h"
#include "PtyPair.h"
#include "TestSettings.h"
#include "core/common/AppSettings.h"
#include "core/session/DeviceChannel.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/transport/LocalOpenQueue.h"
#include "core/transport/PortLine.h"
#include "core/transport/SerialPortDevice.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Port 1 is a pseudo-terminal whose master side the test holds; port 2 the simulated encoder.
struct PtyPort
{
    PtyPair pty;
    PortLine comm{QStringList{pty.slavePath()}};

    bool open(const LineSettings &settings = lineSettings(1))
    {
        comm.setCOMSettings(settings);
        return pty.isValid() && comm.openPort();
    }
};

} // namespace

// The serial port wrapper: paced output, the settings it refuses and passes to the line, and
// the port list.
class TestPortLine : public QObject
{
    Q_OBJECT
private slots:

    void init() { TestSettings::wipe(); }

    // Long text goes out in pieces, each on the line before the pause that follows it.
    void pacedPieces_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("steps"); // "N" N characters on the line, "p20" a pause
        QTest::newRow("empty") << 0 << QStringList{"0"};
        QTest::newRow("51") << 51 << QStringList{"51"};
        QTest::newRow("52") << 52 << QStringList{"50", "p20", "2"};
        QTest::newRow("102") << 102 << QStringList{"50", "p20", "50", "p20", "2"};
    }

    void pacedPieces()
    {
        QFETCH(int, length);
        QFETCH(QStringList, steps);
        PtyPort line;
        QVERIFY(line.open());
        QStringList seen;
        QByteArray joined;
        const auto arrived = [&](int timeoutMs) {
            const QByteArray piece = line.pty.read(timeoutMs, 5);
            seen << QString::number(piece.size());
            joined += piece;
        };
        line.comm.setPause([&](int ms) {
            arrived(2000);
            seen << QStringLiteral("p%1").arg(ms);
        });
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(i % 26 == 25 ? 0xE9 : 'A' + i % 26); // é goes out as one byte
        line.comm.writeText(text);
        arrived(length ? 2000 : 100);
        QCOMPARE(seen, steps);
        QCOMPARE(joined, text.toLatin1());
    }

    // Without a pause hook the write returns after its first piece: the others follow from
    // 20 ms timers, counted meanwhile as output, so no readiness query slips in between them.
    void pacedOutputDoesNotWait()
    {
        PtyPair pty;
        EncoderChannel channel(new PortLine(QStringList{pty.slavePath()}));
        channel.setCOMSettings(lineSettings(1));
        QVERIFY(pty.isValid() && channel.openPort());
        PortLine *comm = channel.port();
        QList<QByteArray> pieces;
        comm->setWriteObserver([&](const QByteArray &piece) { pieces << piece; });
        comm->writeText(QString(120, QLatin1Char('A')));
        comm->writeText(QStringLiteral("BB"));
        QCOMPARE(pieces.size(), 1);
        QCOMPARE(comm->outputBufferCount(), 72);
        QVERIFY(!channel.isPortReady());
        QTRY_COMPARE(comm->outputBufferCount(), 0);
        QCOMPARE(pieces, (QList<QByteArray>{QByteArray(50, 'A'), QByteArray(50, 'A'),
                                            QByteArray(20, 'A'), "BB"}));
        QCOMPARE(pty.read(), QByteArray(120, 'A') + "BB");
    }

    // Many links connected in one go: a few ports open at once, the others at their turn from
    // the event loop, which reads the replies of the first meanwhile. No reply time-out runs for
    // a port that is not open: each is armed when its readiness query leaves.
    void manyPortsOpenAFewAtATime()
    {
        std::vector<std::unique_ptr<PtyPair>> ptys(5 * LocalOpenQueue::PortsPerPass);
        std::vector<std::unique_ptr<Sequencer>> links;
        const auto armed = [&] {
            return int(std::count_if(links.begin(), links.end(), [](const auto &link) {
                return link->timerCommTimeout()->isActive();
            }));
        };
        for (auto &pty : ptys) {
            pty = std::make_unique<PtyPair>();
            links.push_back(
                std::make_unique<Sequencer>(channelForDevice(pty->slavePath(), lineSettings(1))));
            links.back()->toggleConnection();
        }
        QCOMPARE(armed(), LocalOpenQueue::PortsPerPass);
        QVERIFY(ptys.front()->write("Orvane\r\n*"));
        int armedAtReply = 0;
        connect(links.front().get(), &Sequencer::replyReceived, this,
                [&] { armedAtReply = armed(); });
        QTRY_COMPARE(armed(), int(ptys.size()) - 1); // all but the one answered
        QVERIFY(armedAtReply > 0 && armedAtReply < int(ptys.size()) - 1);
        for (const auto &pty : ptys)
            QCOMPARE(pty->read(), QByteArray("\x03\r\x01?\r"));
    }

    // The far end of the line goes away while the port is open: the port closes itself, and the
    // reason says what happened to the line (not the text of the last call that failed).
    void hangUpClosesThePort()
    {
        PtyPort line;
        QVERIFY(line.open());
        QSignalSpy lost(&line.comm, &PortLine::lineLost);
        line.pty.hangUp();
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(lost.first().at(1).toString(), QStringLiteral("the device went away"));
        QVERIFY(!line.comm.portIsOpen());
    }

    // tests/data/port-settings.rows
    void refusesSettings_data() { addRows("port-settings", {"port", "line", "opens"}); }
    void refusesSettings()
    {
        QFETCH(QString, port);
        QFETCH(QString, line);
        QFETCH(QString, opens);
        const QStringList f = line.split(',');
        PtyPort pty;
        QCOMPARE(
            pty.open(lineSettings(port.toInt(), f[0].toInt(), f[1], f[2].toInt(), f[3].toInt())),
            !opens.isEmpty());
        QCOMPARE(pty.comm.portIsOpen(), !opens.isEmpty());
    }

    // The settings reach the port as they are named. A killed client leaves its line settings on
    // a pseudo-terminal (a closed port gives back what it found); the next client still opens the
    // line with the same settings.
    void mapsSettingsOntoTheLine_data()
    {
        QTest::addColumn<LineSettings>("settings");
        QTest::addColumn<int>("parity");
        QTest::newRow("1200,O,7,1")
            << lineSettings(1, 1200, "O", 7, 1) << int(QSerialPort::OddParity);
        QTest::newRow("9600,N,8,1")
            << lineSettings(1, 9600, "N", 8, 1) << int(QSerialPort::NoParity);
        QTest::newRow("2400,E,7,2")
            << lineSettings(1, 2400, "E", 7, 2) << int(QSerialPort::EvenParity);
    }
    void mapsSettingsOntoTheLine()
    {
        QFETCH(LineSettings, settings);
        QFETCH(int, parity);
        PtyPair pty;
        for (int client = 0; client < 2; ++client) {
            SerialPortDevice device(pty.slavePath());
            QVERIFY(device.setLineSettings(settings));
            const QSerialPort *port = device.port();
            QCOMPARE((QList<int>{port->baudRate(), port->parity(), port->dataBits(),
                                 port->stopBits(), port->flowControl()}),
                     (QList<int>{settings.baud, parity, settings.dataBits, settings.stopBits,
                                 QSerialPort::NoFlowControl}));
            QCOMPARE(device.open(), SerialDevice::OpenResult::Opened);
            termios left{};
            QCOMPARE(::tcgetattr(device.port()->handle(), &left), 0);
            device.close(); // gives back what it found; a killed one leaves its own:
            const int line = ::open(qPrintable(pty.slavePath()), O_RDWR | O_NOCTTY);
            QVERIFY(line >= 0);
            QCOMPARE(::tcsetattr(line, TCSANOW, &left), 0);
            ::close(line);
        }
    }

    void portListOrder()
    {
        PtyPair pty;
        AppSettings::save("COMSettings", "Devices",
                          QStringLiteral("/nonexistent/ttyQ9; %1 ;").arg(pty.slavePath()));

        PortLine comm;
        QStringList system;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            system << info.systemLocation();
        system.sort();
        system.removeAll(pty.slavePath());
        const QStringList expected =
            (QStringList{"/nonexistent/ttyQ9", pty.slavePath()} + system).mid(0, 16) +
            QStringList{"Simulated encoder"};

        QStringList listed;
        for (int k = 1; k <= comm.totalPorts(); ++k)
            listed << comm.portDevice(k);
        QCOMPARE(listed, expected);
        QCOMPARE(comm.portForDevice(pty.slavePath()), 2);
        QCOMPARE(comm.portForDevice("Simulated encoder"), comm.totalPorts());
        QCOMPARE(comm.portForDevice("/dev/not-listed"), 0);

        // Sixteen devices at most, then the simulated encoder.
        QStringList many;
        for (int i = 0; i < 20; ++i)
            many << QStringLiteral("/nonexistent/tty%1").arg(i);
        AppSettings::save("COMSettings", "Devices", many.join(';'));
        QCOMPARE(PortLine().portDevice(17), QStringLiteral("Simulated encoder"));
    }

    // A device is listed as available when it exists, without being opened (a file that is
    // no terminal cannot be opened as one, yet the scan goes on past it). A path with "/" is
    // used as given, relative ones too.
    void availability()
    {
        PtyPair pty;
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()) && QDir().mkdir("dev"));
        QVERIFY(QFile("notatty").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(pty.slavePath(), "dev/ttyRel"));
        PortLine comm(QStringList{"/nonexistent/ttyQ1", "./notatty", "dev/ttyRel"});

        QList<bool> available;
        for (int port = 0; port <= 5; ++port)
            available << comm.portIsAvailable(port);
        // Port 1 is missing, 4 the simulated encoder, 0 and 5 outside the list.
        QCOMPARE(available, (QList<bool>{false, false, true, true, true, false}));
        comm.setCOMSettings(lineSettings(3));
        const bool opened = comm.openPort();
        QDir::setCurrent(previous);
        QVERIFY(opened);
    }
};

QTEST_GUILESS_MAIN(TestPortLine)
#include "tst_port_line.moc"
