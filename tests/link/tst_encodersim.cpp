#include "link/CtrlACommand.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"

#include <QtTest>

namespace {

QByteArray command(const QString &mode, const QString &args = QString(),
                   const QString &content = QString(), bool ctrlC = false, bool blank = false)
{
    return CtrlACommand(mode, args, content, ctrlC, blank).wireBytes();
}

QByteArray insertArticle(const QString &name, const QString &channel, const QString &content)
{
    return command("0", name + " " + channel + " 12", content, true, true);
}

const QByteArray webTvLink = command("0", "URL T2 1 D O L", "<http://x>", true);

// The replies are read the way the program reads them.
QString listReply(EncoderSimulator &sim, qint64 at)
{
    return QString::fromLatin1(sim.receive(command("9"), at));
}

} // namespace

// The built-in simulated encoder: its replies, what it records and its article store.
class TestEncoderSim : public QObject
{
    Q_OBJECT
private slots:
    void commandsAreRecordedWithTheirTime();
    void articlesAreStoredListedAndRemoved();
};

void TestEncoderSim::commandsAreRecordedWithTheirTime()
{
    EncoderSimulator sim;
    // ETX cancels a half-typed line.
    const QByteArray two = "\x01P 05" + CtrlACommand::readinessQuery() + command("9");
    QCOMPARE(sim.receive(two, 1000).count("\r\n*"), 2);
    sim.receive(command("M", "1").left(3), 2000);
    sim.receive(command("M", "1").mid(3), 2500);

    const auto received = sim.received();
    QCOMPARE(received.size(), 3);
    QCOMPARE(received.at(0).bytes, CtrlACommand::readinessQuery());
    QCOMPARE(received.at(1).bytes, command("9"));
    QCOMPARE(received.at(1).msecsSinceEpoch, qint64(1000));
    QCOMPARE(received.at(2).msecsSinceEpoch, qint64(2500));

    sim.clearReceived();
    QVERIFY(sim.received().isEmpty());
    sim.setSilent(true);
    QVERIFY(sim.receive(two, 3000).isEmpty());
    QCOMPARE(sim.received().size(), 2); // heard, not answered
}

void TestEncoderSim::articlesAreStoredListedAndRemoved()
{
    EncoderSimulator sim;
    QVERIFY(listReply(sim, 1).endsWith("-\r\n*"));
    QVERIFY(Sequencer::ArticleNames(listReply(sim, 1)).isEmpty());

    sim.receive(webTvLink, 2);
    sim.receive(insertArticle("Weather", "T3", "Sunny"), 3);
    sim.receive(insertArticle("News", "T1", "Today"), 4);
    sim.receive(insertArticle("Weather", "T3", "Sunny\rWarm"), 5); // replaces
    sim.receive(insertArticle("url", "T4", "lower-case name"), 6);
    QCOMPARE(sim.articleNames(), (QStringList{"Weather", "News", "url"}));

    const QString reply = listReply(sim, 7);
    QVERIFY(reply.startsWith("\r\n"));
    QVERIFY(Sequencer::IdentificationFromReply(reply).isNull());
    QCOMPARE(Sequencer::ArticleNames(reply), (QStringList{"Weather", "News", "url"}));
    const QStringList lines = reply.mid(2).split("\r\n");
    const int heading = lines.indexOf(QRegularExpression(".*Text.*"));
    QVERIFY(heading >= 0);
    QStringList status;
    for (const QString &line : lines.mid(heading + 1, 4))
        status << line.left(2);
    QCOMPARE(status, (QStringList{"01", "03", "05", "07"}));
    QVERIFY(lines.at(heading + 5).startsWith("-----"));
    QVERIFY(lines.at(heading + 6).startsWith("URL "));
    QCOMPARE(lines.at(heading + 7), QStringLiteral("Weather   T3    12      Sunny"));
    QCOMPARE(lines.last(), QStringLiteral("*"));

    QCOMPARE(sim.receive(command("4", "Weather D"), 8), QByteArray("\r\nOK\r\n*"));
    QVERIFY(sim.receive(command("4", "Weather D"), 9).contains("Not found"));
    sim.receive(command("4", "URL D"), 10);
    QVERIFY(!listReply(sim, 11).contains("\r\nURL "));
    QCOMPARE(sim.articleNames(), (QStringList{"News", "url"}));
}

QTEST_GUILESS_MAIN(TestEncoderSim)
#include "tst_encodersim.moc"
