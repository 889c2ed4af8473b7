#include "LineSettings.h"
#include "PtyPair.h"
#include "core/session/EncoderChannel.h"
#include "core/transport/PortLine.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Identification =
    QStringLiteral("\r\nOrvane T42X Closed Caption Encoder --  Version 3.10\r\nSerial 001234");

// A channel whose port is a pseudo-terminal; the test is the encoder at the far end and
// decides exactly which characters each receive event brings.
struct PtyLink
{
    PtyPair pty;
    EncoderChannel channel{new PortLine(QStringList{pty.slavePath()})};
    QSignalSpy rx{channel.port(), &PortLine::charactersReceived};
    QSignalSpy ready{&channel, &EncoderChannel::replyReady};

    bool open()
    {
        channel.setCOMSettings(lineSettings());
        return pty.isValid() && channel.openPort();
    }

    // One receive event carrying exactly these characters, handled before this returns.
    bool deliver(const QString &text)
    {
        const int before = rx.count();
        if (!pty.write(text.toLatin1()))
            return false;
        QDeadlineTimer deadline(3000);
        while (rx.count() == before || channel.port()->inputBufferCount() != 0) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    QString reply(int index) const { return ready.at(index).at(0).toString(); }
};

} // namespace

// The Ctrl-A channel over a pseudo-terminal whose far end the test plays: readiness and
// reconnecting.
class TestEncoderChannel : public QObject
{
    Q_OBJECT
private slots:

    // Ready only when open with nothing waiting. Connect starts with nothing received: neither
    // a partial reply nor what the line brought while closed survives it. The reply to the
    // readiness query is complete only with the maker's name in it.
    void readinessQueryAndReconnect()
    {
        PtyLink link;
        QVERIFY(!link.channel.isPortReady()); // closed
        QVERIFY(link.open());
        QVERIFY(link.pty.write("\r\npartial"));
        QVERIFY(link.pty.waitForSlaveInput());
        QVERIFY(!link.channel.isPortReady()); // characters waiting
        QVERIFY(!link.channel.readyQueryPending());
        QVERIFY(link.deliver(QString()));
        QVERIFY(link.channel.isPortReady());
        QCOMPARE(link.pty.read(), CtrlACommand::readinessQuery());
        link.channel.closePort();
        QVERIFY(!link.channel.portIsOpen() && link.channel.readyQueryPending());
        QCOMPARE(link.channel.rxBuffer(), QStringLiteral("\r\npartial"));

        QVERIFY(link.pty.write("noise while closed"));
        QVERIFY(link.pty.waitForSlaveInput());
        QVERIFY(link.channel.openPort());
        QCOMPARE(link.channel.rxBuffer(), QString());
        QVERIFY(!link.channel.readyQueryPending() && link.channel.isPortReady());
        QCOMPARE(link.pty.read(), CtrlACommand::readinessQuery());
        QVERIFY(link.deliver("\r\nOK\r\n*")); // a reply without the maker name: kept
        QCOMPARE(link.ready.count(), 0);
        QVERIFY(link.deliver(Identification + "\r\n*"));
        QCOMPARE(link.ready.count(), 1);
        QCOMPARE(link.reply(0), "\r\nOK\r\n*" + Identification + "\r\n*");
        QVERIFY(!link.channel.readyQueryPending() && link.channel.rxBuffer().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEncoderChannel)
#include "tst_encoder_channel.moc"
