#include "DataRows.h"
#include "LineSettings.h"
#include "PtyPair.h"
#include "Ser2net.h"

#include "core/protocol/TelnetFraming.h"
#include "core/transport/Rfc2217SerialDevice.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <termios.h>

using Result = SerialDevice::OpenResult;

// The speed code and odd parity of a line, read on the far side of a pseudo-terminal (which
// keeps neither the data size nor PARENB).
static QString lineOf(const QString &path)
{
    termios line{};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &line);
    ::close(fd);
    return QString::number(::cfgetospeed(&line)) + (line.c_cflag & PARODD ? " odd" : "");
}

// Serial lines of a device server whose line settings are set over the connection, and the
// telnet framing of that connection.
class tst_Rfc2217 : public QObject
{
    Q_OBJECT

private slots:
    // Telnet framing of the connection, fed in pieces as they arrive
    // (tests/data/telnet-framing.rows, and a sub-negotiation longer than the framing keeps).
    void telnetFraming_data()
    {
        addRows("telnet-framing", {"pieces", "binary", "data", "events"});
        QTest::newRow("unterminated SB dropped")
            << QString::fromLatin1("fffa2c" +
                                   QByteArray(TelnetFraming::MaxSubNegotiation, 'x').toHex() +
                                   " 64617461")
            << "yes"
            << "64617461"
            << "3 250 44";
    }
    void telnetFraming()
    {
        QFETCH(QString, pieces);
        QFETCH(QString, binary);
        TelnetFraming framing;
        framing.setBinaryIn(!binary.isEmpty());
        QByteArray data;
        QStringList events;
        for (const QString &piece : pieces.split(' ', Qt::SkipEmptyParts)) {
            data += framing.feed(QByteArray::fromHex(piece.toLatin1()));
            for (const TelnetFraming::Event &e : framing.takeEvents())
                events << QStringLiteral("%1 %2 %3 %4")
                              .arg(e.kind)
                              .arg(e.code)
                              .arg(e.option)
                              .arg(QString(e.payload.toHex()))
                              .trimmed();
        }
        QTEST(QString(data.toHex()), "data");
        QTEST(events.join(';'), "events");
    }

    // The line takes the port settings, not the server's own; data bytes 255 and CR pass
    // unchanged both ways; new settings while open reach the line; a server that goes away is a
    // lost device.
    void setsTheLineOfARealDeviceServer()
    {
        PtyPair pty;
        Ser2net server;
        const QStringList ports = server.start({{"rfc2217", pty.slavePath(), "9600n81"}});
        QVERIFY2(pty.isValid() && !ports.isEmpty(), qPrintable(server.errorString()));
        Rfc2217SerialDevice device(ports.first());
        QSignalSpy finished(&device, &SerialDevice::openFinished);
        QVERIFY(device.setLineSettings(lineSettings(1, 1200, "O", 7, 1)));
        QCOMPARE(device.open(), Result::Pending);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<Result>(), Result::Opened);
        QCOMPARE(lineOf(pty.slavePath()), QString::number(B1200) + " odd");

        device.write("\x03\r\x01?\r\xff");
        QCOMPARE(pty.read(), QByteArray("\x03\r\x01?\r\xff"));
        QVERIFY(pty.write("Orvane\xff\r\n*"));
        QTRY_COMPARE(device.bytesAvailable(), 10);
        QCOMPARE(device.readAll(), QByteArray("Orvane\xff\r\n*"));

        QVERIFY(device.setLineSettings(lineSettings(1, 2400, "E", 8, 1)));
        QTRY_COMPARE(lineOf(pty.slavePath()), QString::number(B2400));
        QSignalSpy lost(&device, &SerialDevice::deviceLost);
        server.stop();
        QTRY_COMPARE(lost.size(), 1);
    }

    // A server that does not set the line ends the open with a failure and its reason, once,
    // within the (here shortened) time-out; options it asks for are refused once. A close while
    // opening cancels the open without a report.
    void serverThatDoesNotSetTheLine_data()
    {
        QTest::addColumn<QByteArray>("answer"); // sent on connection, then nothing more
        QTest::addColumn<QString>("reason");    // empty: closed while opening
        QTest::addColumn<int>("refusals");      // of the terminal type (24), asked for twice
        const auto row = [](const char *name, const char *hex, const char *reason, int refusals) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << QString(reason) << refusals;
        };
        row("refuses", "fffb00 fffe2c", "refuses", 0);
        row("silent", "", "did not answer", 0);
        row("confirms the speed only", "fffd18 fffd2c fffd18 fffa2c65000004b0fff0",
            "did not confirm", 1);
        row("sets another speed",
            "fffd2c fffa2c6500002580fff0 fffa2c6607fff0 fffa2c6702fff0 fffa2c6801fff0",
            "did not take the line settings 1200,O,7,1 (the server answered 9600,O,7,1)", 0);
        row("confirms with zeros",
            "fffd2c fffa2c6500000000fff0 fffa2c6600fff0 fffa2c6700fff0 fffa2c6800fff0",
            "did not take the line settings 1200,O,7,1 (the server answered 0,0,0,0)", 0);
        row("does not purge",
            "fffd2c fffa2c65000004b0fff0 fffa2c6607fff0 fffa2c6702fff0 fffa2c6801fff0",
            "did not confirm that it purged its buffers", 0);
        row("closed while opening", "", "", 0);
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
        QTRY_VERIFY(peer);
        if (reason.isEmpty())
            device.close();
        else
            QTRY_COMPARE(finished.size(), 1);
        QTest::qWait(300); // past the time-out: no (second) report
        QCOMPARE(finished.size(), reason.isEmpty() ? 0 : 1);
        QVERIFY(!device.isOpen() && device.errorString().contains(reason));
        if (!reason.isEmpty())
            QCOMPARE(finished.first().first().value<Result>(), Result::Failed);
        QTEST(int(peer->readAll().count("\xff\xfc\x18")), "refusals");
    }
};

QTEST_GUILESS_MAIN(tst_Rfc2217)
#include "tst_rfc2217.moc"
