#include "DataRows.h"
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

// The Ctrl-A channel over a pseudo-terminal whose far end the test plays: readiness,
// reply completion and the long article lists.
class TestEncoderChannel : public QObject
{
    Q_OBJECT
private slots:

    // tests/data/reply-completion.rows
    void completion_data() { addRows("reply-completion", {"events", "replies", "last"}); }
    void completion()
    {
        QFETCH(QString, events);
        QFETCH(QString, replies);
        QFETCH(QString, last);
        PtyLink link;
        QVERIFY(link.open());
        QStringList counts;
        for (const QString &event : events.split(';')) {
            QVERIFY(link.deliver(event));
            counts << QString::number(link.ready.count());
        }
        QCOMPARE(counts.join(' '), replies);
        if (last.isEmpty()) {
            QCOMPARE(link.channel.rxBuffer(), events.remove(';'));
            return;
        }
        QCOMPARE(link.reply(link.ready.count() - 1), last);
        QVERIFY(link.channel.rxBuffer().isEmpty());
    }

    // tests/data/long-article-lists.rows
    void longArticleLists_data()
    {
        addRows("long-article-lists", {"identification", "heading", "length", "truncated"});
    }
    void longArticleLists()
    {
        QFETCH(QString, identification);
        QFETCH(QString, heading);
        QFETCH(QString, length);
        QFETCH(QString, truncated);
        PtyLink link;
        QVERIFY(link.open());
        link.channel.setIdentificationSource([identification] { return identification; });
        QString sent = "\r\n" + heading + " Text\r\n";
        while (sent.size() < length.toInt())
            sent += QStringLiteral("NAME%1 T1 1\r\n").arg(sent.size(), 4, 10, QLatin1Char('0'));
        sent.truncate(length.toInt());
        QVERIFY(link.deliver(sent));
        QCOMPARE(link.ready.count(), truncated.isEmpty() ? 0 : 1);
        if (!truncated.isEmpty())
            QCOMPARE(link.reply(0), "  (LIST TRUNCATED DUE TO LENGTH!)\r\n" + sent + "\r\n*");
        else
            QCOMPARE(link.channel.rxBuffer(), sent);
    }

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

    // A reply that outgrows the cap is reported, never passed on cut at its front; the rest of
    // it is dropped up to its prompt (split across events here) and the next reply is whole.
    void overlongReplyIsReported()
    {
        PtyLink link;
        QVERIFY(link.open());
        QSignalSpy tooLong(&link.channel, &EncoderChannel::replyTooLong);
        const int limit = 1024 * 1024;
        for (int sent = 0; sent <= limit; sent += 4096)
            QVERIFY(link.deliver(QString(4096, QLatin1Char('x'))));
        QCOMPARE(tooLong.size(), 1);
        QVERIFY(link.channel.rxBuffer().isEmpty());
        for (const char *rest : {"xxx\r", "\n*", "\r\nOK\r\n*"})
            QVERIFY(link.deliver(QString::fromLatin1(rest)));
        QCOMPARE(link.ready.count(), 1);
        QCOMPARE(link.reply(0), QStringLiteral("\r\nOK\r\n*"));
        QCOMPARE(tooLong.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEncoderChannel)
#include "tst_encoder_channel.moc"
