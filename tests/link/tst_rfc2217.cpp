#include "LineSettings.h"
#include "PtyPair.h"
#include "Ser2net.h"

#include "link/Rfc2217SerialDevice.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <termios.h>

using Result = SerialDevice::OpenResult;

namespace {

// The line as the device server left it, read on the far side of the pseudo-terminal.
termios lineOf(const QString &path)
{
    termios line{};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &line);
    ::close(fd);
    return line;
}

speed_t speedOf(const QString &path)
{
    const termios line = lineOf(path);
    return ::cfgetospeed(&line);
}

} // namespace

// Serial lines of a device server whose line settings are set over the connection.
class tst_Rfc2217 : public QObject
{
    Q_OBJECT

private slots:
    // The line takes the port settings, not the server's own; data bytes 255 and CR pass
    // unchanged both ways; new settings while open reach the line; a server that goes away is a
    // lost device.
    void setsTheLineOfARealDeviceServer()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        Ser2net server;
        const QStringList ports = server.start({{"rfc2217", pty.slavePath(), "9600n81"}});
        QVERIFY2(!ports.isEmpty(), qPrintable(server.errorString()));
        Rfc2217SerialDevice device(ports.first());
        QSignalSpy finished(&device, &SerialDevice::openFinished);
        QVERIFY(device.setLineSettings(lineSettings(1, 1200, "O", 7, 1)));
        QCOMPARE(device.open(), Result::Pending);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<Result>(), Result::Opened);
        QCOMPARE(speedOf(pty.slavePath()), speed_t(B1200));
        QVERIFY(lineOf(pty.slavePath()).c_cflag & PARODD); // no data size nor PARENB on a pty

        device.write("\x03\r\x01?\r\xff");
        QCOMPARE(pty.read(), QByteArray("\x03\r\x01?\r\xff"));
        QVERIFY(pty.write("Orvane\xff\r\n*"));
        QTRY_COMPARE(device.bytesAvailable(), 10);
        QCOMPARE(device.readAll(), QByteArray("Orvane\xff\r\n*"));

        QVERIFY(device.setLineSettings(lineSettings(1, 2400, "E", 8, 1)));
        QTRY_COMPARE(speedOf(pty.slavePath()), speed_t(B2400));
        QVERIFY(!(lineOf(pty.slavePath()).c_cflag & PARODD));

        QSignalSpy lost(&device, &SerialDevice::deviceLost);
        server.stop();
        QTRY_COMPARE(lost.size(), 1);
    }

    // A server that does not set the line ends the open with a failure and its reason, once,
    // within the (here shortened) time-out; options it asks for are refused once.
    void serverThatDoesNotSetTheLine_data()
    {
        QTest::addColumn<QByteArray>("answer"); // sent on connection, then nothing more
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("refusals"); // of the terminal type (24), asked for twice
        const auto row = [](const char *name, const char *hex, const char *reason, int refusals) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << QString(reason) << refusals;
        };
        row("refuses", "fffb00 fffe2c", "refuses", 0);
        row("silent", "", "did not answer", 0);
        row("confirms the speed only", "fffd18 fffd2c fffd18 fffa2c65000004b0fff0",
            "did not confirm", 1);
        row("sets another speed", "fffd2c fffa2c6500002580fff0",
            "did not take the line settings 1200,O,7,1", 0);
    }
    void serverThatDoesNotSetTheLine()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTcpSocket *peer = nullptr;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            peer = server.nextPendingConnection();
            peer->write(answer);
        });
        Rfc2217SerialDevice device(
            QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort()));
        device.setTimeouts(200, 1000);
        QSignalSpy finished(&device, &SerialDevice::openFinished);
        QVERIFY(device.setLineSettings(lineSettings(1, 1200, "O", 7, 1)));
        QCOMPARE(device.open(), Result::Pending);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<Result>(), Result::Failed);
        QVERIFY2(device.errorString().contains(reason), qPrintable(device.errorString()));
        QVERIFY(!device.isOpen());
        QTest::qWait(300); // past the time-out: no second report
        QCOMPARE(finished.size(), 1);
        QVERIFY(peer);
        QTEST(int(peer->readAll().count("\xff\xfc\x18")), "refusals");
    }

    // Closing while the open goes on cancels it without a report.
    void closeWhileOpening()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Rfc2217SerialDevice device(
            QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort()));
        device.setTimeouts(100, 200);
        QSignalSpy finished(&device, &SerialDevice::openFinished);
        QVERIFY(device.setLineSettings(lineSettings()));
        QCOMPARE(device.open(), Result::Pending);
        QTRY_VERIFY(server.hasPendingConnections());
        device.close();
        QTest::qWait(300);
        QCOMPARE(finished.size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Rfc2217)
#include "tst_rfc2217.moc"
