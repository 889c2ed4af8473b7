#include "SimProcess.h"
#include "TestSettings.h"
#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A channel on the simulator's device, reached the way the program reaches it: through the
// "Devices" entry of the settings store.
struct Link
{
    explicit Link(const QString &device)
    {
        AppSettings::save("COMSettings", "Devices", device);
        channel = std::make_unique<CommInterface>();
        COMSettings s;
        s.port = qint16(channel->CommClass()->PortForDevice(device));
        s.baud = 9600;
        s.parity = "N";
        s.dataBits = 8;
        s.StopBits = 1;
        channel->setCOMSettings(s);
        ready = std::make_unique<QSignalSpy>(channel.get(), &CommInterface::Ready);
    }
    std::unique_ptr<CommInterface> channel;
    std::unique_ptr<QSignalSpy> ready;
};

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

CtrlACommand caption(int length)
{
    CtrlACommand c;
    c.mode = "2";
    c.args = "T1";
    c.ctrlC = true;
    c.sendBlankContents = true;
    c.content = QString(length - 8, QLatin1Char('x')); // SOH 2 blank T1 CR ... CR ETX
    return c;
}

struct Piece
{
    qint64 msecs;
    int size;
};

// Blocks read by the simulator within a few milliseconds of each other belong to one piece.
QList<Piece> piecesFromChunkLog(const QStringList &lines)
{
    QList<Piece> pieces;
    qint64 last = 0;
    for (const QString &line : lines) {
        const QStringList fields = line.split('\t');
        const qint64 at = fields.value(0).toLongLong();
        const int size = fields.value(1).toInt();
        if (!pieces.isEmpty() && at - last < 5)
            pieces.last().size += size;
        else
            pieces.append({at, size});
        last = at;
    }
    return pieces;
}

} // namespace

class TestPtyLink : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void readinessQueryGetsTheIdentification();
    void longCommandArrivesInPacedPieces();
    void articlesOverTheLine();
    void silentEncoderNeverAnswers();
    void replyWithoutMakerNeverCompletes();
    void slowReplies_data();
    void slowReplies();
    void lineRateHoldsCommandsBack_data();
    void lineRateHoldsCommandsBack();
    void stopsCleanly();

private:
    QTemporaryDir m_dir;
};

void TestPtyLink::init()
{
    TestSettings::wipe();
    QVERIFY(m_dir.isValid());
}

void TestPtyLink::readinessQueryGetsTheIdentification()
{
    const QString log = m_dir.filePath("commands.log");
    SimProcess sim;
    QVERIFY2(sim.start({"--log", log}), qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->CommClass()->PortIsAvailable(1));
    QVERIFY(link.channel->Connect());

    QVERIFY(link.channel->IsPortReady());
    QVERIFY(link.ready->wait(3000));
    const QString reply = link.ready->at(0).at(0).toString();
    QVERIFY(reply.startsWith("\r\nOrvane T42X Closed Caption Encoder --"));
    QVERIFY(reply.endsWith("\r\n*"));
    QVERIFY(!link.channel->readyQueryPending());

    const QStringList lines = readLines(log);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.at(0).section('\t', 1, 1), QStringLiteral("03 0D 01 3F 0D"));
}

void TestPtyLink::longCommandArrivesInPacedPieces()
{
    // The simulator may be scheduled late and read two pieces at once; the pacing is proven
    // by any one attempt in which the three pieces arrive apart.
    QString report;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString chunks = m_dir.filePath(QStringLiteral("chunks%1.log").arg(attempt));
        const QString log = m_dir.filePath(QStringLiteral("commands%1.log").arg(attempt));
        SimProcess sim;
        QVERIFY2(sim.start({"--log-chunks", chunks, "--log", log}), qPrintable(sim.errorString()));
        Link link(sim.slavePath());
        QVERIFY(link.channel->Connect());

        const CtrlACommand command = caption(120);
        QCOMPARE(command.wireBytes().size(), 120);
        link.channel->CtrlA(command);
        QVERIFY(link.ready->wait(3000));
        QCOMPARE(link.ready->at(0).at(0).toString(), QStringLiteral("\r\nOK\r\n*"));

        const QStringList commands = readLines(log);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.at(0).section('\t', 1, 1),
                 QString::fromLatin1(command.wireBytes().toHex(' ').toUpper()));

        const QList<Piece> pieces = piecesFromChunkLog(readLines(chunks));
        report.clear();
        for (const Piece &p : pieces)
            report += QStringLiteral(" %1@%2").arg(p.size).arg(p.msecs - pieces.first().msecs);
        if (pieces.size() == 3 && pieces.at(0).size == 50 && pieces.at(1).size == 50 &&
            pieces.at(2).size == 20 && pieces.at(1).msecs - pieces.at(0).msecs >= 18 &&
            pieces.at(2).msecs - pieces.at(1).msecs >= 18)
            return;
    }
    QFAIL(qPrintable("pieces (size@ms):" + report));
}

void TestPtyLink::articlesOverTheLine()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->Connect());

    CtrlACommand insert;
    insert.mode = "0";
    insert.args = "Weather T3 12";
    insert.content = "Sunny\rWarm";
    insert.ctrlC = true;
    insert.sendBlankContents = true;
    CtrlACommand list;
    list.mode = "9";

    link.channel->CtrlA(insert);
    QVERIFY(link.ready->wait(3000));
    link.channel->CtrlA(list);
    QVERIFY(link.ready->wait(3000));
    const QString reply = link.ready->at(1).at(0).toString();
    QVERIFY(reply.contains("Article"));
    QVERIFY(reply.contains("\r\nWeather   T3    12      Sunny\r\n*"));
}

void TestPtyLink::silentEncoderNeverAnswers()
{
    const QString log = m_dir.filePath("silent.log");
    SimProcess sim;
    QVERIFY2(sim.start({"--silent", "--log", log}), qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->Connect());
    QSignalSpy rx(link.channel->CommClass(), &Communications::CharactersRx);

    QVERIFY(link.channel->IsPortReady());
    QVERIFY(!link.ready->wait(1000));
    QCOMPARE(rx.count(), 0);
    QCOMPARE(readLines(log).size(), 1); // heard, not answered
}

void TestPtyLink::replyWithoutMakerNeverCompletes()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--no-maker"}), qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->Connect());

    QVERIFY(link.channel->IsPortReady());
    QTRY_VERIFY_WITH_TIMEOUT(link.channel->rxBuffer().endsWith("\r\n*"), 3000);
    QVERIFY(!link.ready->wait(300));
    QVERIFY(link.channel->readyQueryPending());
    QVERIFY(link.channel->rxBuffer().contains("Closed Caption Encoder"));
    QVERIFY(!link.channel->rxBuffer().contains("Orvane", Qt::CaseInsensitive));
}

void TestPtyLink::slowReplies_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("atMostMs");

    // The identification and its prompt are 78 characters: at 1200 bits per second and ten
    // bits per character they take 650 ms on the line.
    QTest::newRow("line rate 1200") << QStringList{"--line-rate", "1200"} << 620 << 2500;
    QTest::newRow("reply delay 300") << QStringList{"--reply-delay", "300"} << 290 << 2000;
    QTest::newRow("no delay") << QStringList{} << 0 << 250;
}

void TestPtyLink::slowReplies()
{
    QFETCH(QStringList, options);
    QFETCH(int, atLeastMs);
    QFETCH(int, atMostMs);

    SimProcess sim;
    QVERIFY2(sim.start(options), qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->Connect());

    QElapsedTimer clock;
    clock.start();
    QVERIFY(link.channel->IsPortReady());
    QVERIFY(link.ready->wait(5000));
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= atLeastMs && took <= atMostMs, qPrintable(QString::number(took)));
    QCOMPARE(link.ready->at(0).at(0).toString().size(), 78);
}

void TestPtyLink::lineRateHoldsCommandsBack_data()
{
    QTest::addColumn<int>("lineRate");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("atMostMs");

    // A 120-character command and the 7-character reply "\r\nOK\r\n*": 127 characters of
    // ten bits each. The encoder answers only once the command's last byte has crossed the line.
    QTest::newRow("1200") << 1200 << 1040 << 3000;
    QTest::newRow("9600") << 9600 << 125 << 1500;
}

void TestPtyLink::lineRateHoldsCommandsBack()
{
    QFETCH(int, lineRate);
    QFETCH(int, atLeastMs);
    QFETCH(int, atMostMs);

    const QString log = m_dir.filePath(QStringLiteral("rate%1.log").arg(lineRate));
    SimProcess sim;
    QVERIFY2(sim.start({"--line-rate", QString::number(lineRate), "--log", log}),
             qPrintable(sim.errorString()));
    Link link(sim.slavePath());
    QVERIFY(link.channel->Connect());

    const CtrlACommand command = caption(120);
    const qint64 sentAt = QDateTime::currentMSecsSinceEpoch();
    QElapsedTimer clock;
    clock.start();
    link.channel->CtrlA(command);
    QVERIFY(link.ready->wait(5000));
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= atLeastMs && took <= atMostMs, qPrintable(QString::number(took)));
    QCOMPARE(link.ready->at(0).at(0).toString(), QStringLiteral("\r\nOK\r\n*"));

    // The log dates the command when its last byte arrived over the simulated line.
    const QStringList commands = readLines(log);
    QCOMPARE(commands.size(), 1);
    const qint64 arrivedAfter = commands.at(0).section('\t', 0, 0).toLongLong() - sentAt;
    const int commandMs = 120 * 10 * 1000 / lineRate;
    QVERIFY2(arrivedAfter >= commandMs - 15, qPrintable(QString::number(arrivedAfter)));
}

void TestPtyLink::stopsCleanly()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const QString device = sim.slavePath();
    QVERIFY(QFile::exists(device));
    sim.stop();
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPtyLink)
#include "tst_pty_link.moc"
