#include "PtyPair.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Identification =
    QStringLiteral("\r\nOrvane T42X Closed Caption Encoder --  Version 3.10\r\nSerial 001234");
const QString Truncated = QStringLiteral("  (LIST TRUNCATED DUE TO LENGTH!)\r\n");

COMSettings lineSettings(int port)
{
    COMSettings s;
    s.port = qint16(port);
    s.baud = 9600;
    s.parity = QStringLiteral("N");
    s.dataBits = 8;
    s.StopBits = 1;
    return s;
}

// A channel whose port is a pseudo-terminal; the test is the encoder at the far end and
// decides exactly which characters each receive event brings.
class PtyLink
{
public:
    PtyLink()
        : channel(new Communications(QStringList{pty.slavePath()})),
          rx(channel.CommClass(), &Communications::CharactersRx),
          ready(&channel, &CommInterface::Ready)
    {
        channel.setCOMSettings(lineSettings(1));
        channel.CommClass()->setPause([](int) {});
    }

    bool open() { return pty.isValid() && channel.Connect(); }

    // One receive event carrying exactly these characters, handled before this returns.
    bool deliver(const QString &text)
    {
        const int before = rx.count();
        if (!pty.write(text.toLatin1()))
            return false;
        QDeadlineTimer deadline(3000);
        while (rx.count() == before || channel.CommClass()->GetInputBufferCount() != 0) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    PtyPair pty;
    CommInterface channel;
    QSignalSpy rx;
    QSignalSpy ready;
};

QString readyText(const QSignalSpy &spy, int index)
{
    return spy.at(index).at(0).toString();
}

} // namespace

class TestCommInterface : public QObject
{
    Q_OBJECT
private slots:
    void framesCommandsOntoTheLine();
    void longCommandGoesOutInPacedPieces();

    void completion_data();
    void completion();

    void readinessQueryWaitsForTheMakerName_data();
    void readinessQueryWaitsForTheMakerName();
    void replyWithoutMakerCompletesWhenNoQueryIsPending();

    void longArticleLists_data();
    void longArticleLists();

    void notReadyWhileCharactersWait();
    void notReadyOnAClosedPort();
    void disconnectKeepsBufferAndPendingQuery();

    void exchangeWithTheSimulatedEncoder();
};

void TestCommInterface::framesCommandsOntoTheLine()
{
    PtyLink link;
    QVERIFY(link.open());
    CtrlACommand caption;
    caption.mode = "2";
    caption.args = "C1";
    caption.content = "HELLO";
    caption.ctrlC = true;
    caption.sendBlankContents = true;
    link.channel.CtrlA(caption);
    QCOMPARE(link.pty.read().toHex(' '), QByteArray("01 32 20 43 31 0d 48 45 4c 4c 4f 0d 03"));
    QVERIFY(!link.channel.readyQueryPending()); // CtrlA leaves the query state alone
}

void TestCommInterface::longCommandGoesOutInPacedPieces()
{
    PtyLink link;
    QVERIFY(link.open());
    QList<int> pieces;
    int pauses = 0;
    link.channel.CommClass()->setWriteObserver(
        [&](const QByteArray &piece) { pieces << int(piece.size()); });
    link.channel.CommClass()->setPause([&](int) { ++pauses; });

    CtrlACommand caption;
    caption.mode = "2";
    caption.args = "T1";
    caption.content = QString(112, QLatin1Char('x')); // 1 + 1 + 3 + 1 + 112 + 1 + 1 = 120
    caption.ctrlC = true;
    link.channel.CtrlA(caption);

    QCOMPARE(pieces, (QList<int>{50, 50, 20}));
    QCOMPARE(pauses, 2);
    QCOMPARE(link.pty.read(), caption.wireBytes());
}

void TestCommInterface::completion_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QList<int>>("readyCounts"); // Ready count after each event
    QTest::addColumn<QString>("lastResponse");

    QTest::newRow("whole reply in one event")
        << QStringList{"\r\nOK\r\n*"} << QList<int>{1} << "\r\nOK\r\n*";
    QTest::newRow("CR, LF and * in three events")
        << QStringList{"\r\nOK", "\r", "\n", "*"} << QList<int>{0, 0, 0, 1} << "\r\nOK\r\n*";
    QTest::newRow("text after the prompt keeps it open")
        << QStringList{"\r\nOK\r\n*X", "\r\n*"} << QList<int>{0, 1} << "\r\nOK\r\n*X\r\n*";
    QTest::newRow("two replies") << QStringList{"\r\nA\r\n*", "\r\nB\r\n*"} << QList<int>{1, 2}
                                 << "\r\nB\r\n*";
    QTest::newRow("star without line end")
        << QStringList{"\r\nOK*", "\n*"} << QList<int>{0, 0} << QString();
}

void TestCommInterface::completion()
{
    QFETCH(QStringList, events);
    QFETCH(QList<int>, readyCounts);
    QFETCH(QString, lastResponse);

    PtyLink link;
    QVERIFY(link.open());
    for (int i = 0; i < events.size(); ++i) {
        QVERIFY(link.deliver(events.at(i)));
        QCOMPARE(link.ready.count(), readyCounts.at(i));
    }
    if (!lastResponse.isNull()) {
        QCOMPARE(readyText(link.ready, link.ready.count() - 1), lastResponse);
        QVERIFY(link.channel.rxBuffer().isEmpty());
    } else {
        QCOMPARE(link.channel.rxBuffer(), events.join(QString()));
    }
}

void TestCommInterface::readinessQueryWaitsForTheMakerName_data()
{
    QTest::addColumn<QString>("identification");
    QTest::newRow("maker name") << Identification;
    QTest::newRow("maker name in lower case") << QStringLiteral("\r\norvane t42x --  x\r\nSerial");
}

void TestCommInterface::readinessQueryWaitsForTheMakerName()
{
    QFETCH(QString, identification);

    PtyLink link;
    QVERIFY(link.open());
    QVERIFY(link.channel.IsPortReady());
    QVERIFY(link.channel.readyQueryPending());
    QCOMPARE(link.pty.read().toHex(' '), QByteArray("03 0d 01 3f 0d"));

    QVERIFY(link.deliver("\r\n*")); // a bare prompt: kept
    QCOMPARE(link.ready.count(), 0);
    QCOMPARE(link.channel.rxBuffer(), QStringLiteral("\r\n*"));

    QVERIFY(link.deliver(identification + "\r\n*"));
    QCOMPARE(link.ready.count(), 1);
    QCOMPARE(readyText(link.ready, 0), "\r\n*" + identification + "\r\n*");
    QVERIFY(!link.channel.readyQueryPending());
    QVERIFY(link.channel.rxBuffer().isEmpty());
}

void TestCommInterface::replyWithoutMakerCompletesWhenNoQueryIsPending()
{
    PtyLink link;
    QVERIFY(link.open());
    QVERIFY(link.deliver("\r\nOK\r\n*"));
    QCOMPARE(link.ready.count(), 1);

    QVERIFY(link.channel.IsPortReady());
    link.pty.read();
    QVERIFY(link.deliver("\r\nOK\r\n*"));
    QCOMPARE(link.ready.count(), 1); // the query's reply needs the maker name
}

void TestCommInterface::longArticleLists_data()
{
    QTest::addColumn<QString>("identification");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QList<int>>("eventLengths"); // lengths of the receive events, in order
    QTest::addColumn<int>("truncatedAtEvent");    // -1: never

    const QString t42 = "Connected to Orvane T42X Closed Caption Encoder, Serial";
    const QString other = "Connected to Orvane C50 Closed Caption Encoder, Serial";
    QTest::newRow("T42 at 512") << t42 << "Article" << QList<int>{512} << 0;
    QTest::newRow("T42 at 511") << t42 << "Article" << QList<int>{511} << -1;
    QTest::newRow("T42 reached in a later event")
        << t42 << "Article" << QList<int>{300, 100, 112} << 2;
    QTest::newRow("lower-case article") << t42 << "article" << QList<int>{600} << 0;
    QTest::newRow("t42 in lower case") << "connected to orvane t42"
                                       << "Article" << QList<int>{512} << 0;
    QTest::newRow("no identification yet") << ""
                                           << "Article" << QList<int>{512} << 0;
    QTest::newRow("another model") << other << "Article" << QList<int>{700} << -1;
    QTest::newRow("not an article list") << t42 << "Catalog" << QList<int>{700} << -1;
}

void TestCommInterface::longArticleLists()
{
    QFETCH(QString, identification);
    QFETCH(QString, heading);
    QFETCH(QList<int>, eventLengths);
    QFETCH(int, truncatedAtEvent);

    PtyLink link;
    QVERIFY(link.open());
    link.channel.setIdentificationSource([identification] { return identification; });

    QString sent;
    for (int i = 0; i < eventLengths.size(); ++i) {
        QString event =
            i == 0 ? QStringLiteral("\r\n") + heading + QStringLiteral(" Text\r\n") : QString();
        while (event.size() < eventLengths.at(i))
            event += QStringLiteral("NAME%1 T1 1\r\n")
                         .arg(sent.size() + event.size(), 4, 10, QLatin1Char('0'));
        event.truncate(eventLengths.at(i));
        sent += event;
        QVERIFY(link.deliver(event));
        QCOMPARE(link.ready.count(), i >= truncatedAtEvent && truncatedAtEvent >= 0 ? 1 : 0);
    }

    if (truncatedAtEvent < 0) {
        QCOMPARE(link.channel.rxBuffer(), sent);
        return;
    }
    QCOMPARE(readyText(link.ready, 0), Truncated + sent + "\r\n*");
    // What the encoder still sends is a reply of its own.
    QVERIFY(link.deliver("NAME9 T1 1\r\n*"));
    QCOMPARE(link.ready.count(), 2);
    QCOMPARE(readyText(link.ready, 1), QStringLiteral("NAME9 T1 1\r\n*"));
}

void TestCommInterface::notReadyWhileCharactersWait()
{
    PtyLink link;
    QVERIFY(link.open());
    QVERIFY(link.pty.write("\r\nOK"));
    QVERIFY(link.pty.waitForSlaveInput());

    QVERIFY(!link.channel.IsPortReady());
    QVERIFY(!link.channel.readyQueryPending());
    QVERIFY(link.pty.read(100).isEmpty()); // nothing was sent
}

void TestCommInterface::notReadyOnAClosedPort()
{
    PtyLink link;
    QVERIFY(link.pty.isValid());
    QVERIFY(!link.channel.IsPortReady());
    QVERIFY(!link.channel.readyQueryPending());
}

void TestCommInterface::disconnectKeepsBufferAndPendingQuery()
{
    PtyLink link;
    QVERIFY(link.open());
    QVERIFY(link.channel.IsPortReady());
    QVERIFY(link.deliver("\r\npartial"));
    link.channel.Disconnect();
    QVERIFY(!link.channel.PortIsOpen());
    QVERIFY(link.channel.readyQueryPending());
    QCOMPARE(link.channel.rxBuffer(), QStringLiteral("\r\npartial"));

    // The stale text is carried in front of the next reply.
    QVERIFY(link.channel.Connect());
    QVERIFY(link.deliver(Identification + "\r\n*"));
    QCOMPARE(link.ready.count(), 1);
    QCOMPARE(readyText(link.ready, 0), "\r\npartial" + Identification + "\r\n*");
}

void TestCommInterface::exchangeWithTheSimulatedEncoder()
{
    CommInterface channel;
    channel.setCOMSettings(lineSettings(channel.CommClass()->SimulatedPort()));
    QVERIFY(channel.Connect());
    QSignalSpy ready(&channel, &CommInterface::Ready);

    QVERIFY(channel.IsPortReady());
    QVERIFY(ready.wait(2000));
    QVERIFY(readyText(ready, 0).contains("Orvane T42X"));

    CtrlACommand insert;
    insert.mode = "0";
    insert.args = "Weather T3 12";
    insert.content = "Sunny\rWarm";
    insert.ctrlC = true;
    insert.sendBlankContents = true;
    channel.CtrlA(insert);
    QVERIFY(ready.wait(2000));

    CtrlACommand list;
    list.mode = "9";
    channel.CtrlA(list);
    QVERIFY(ready.wait(2000));
    QCOMPARE(ready.count(), 3);
    QVERIFY(readyText(ready, 2).contains("\r\nWeather   T3    12      Sunny\r\n*"));
    QCOMPARE(channel.CommClass()->simulatedEncoder()->articleNames(), QStringList{"Weather"});
}

QTEST_GUILESS_MAIN(TestCommInterface)
#include "tst_comminterface.moc"
