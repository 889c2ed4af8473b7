#include "link/CtrlACommand.h"
#include "link/EncoderSimulator.h"

#include <QtTest>

namespace {

QByteArray command(const QString &mode, const QString &args = QString(),
                   const QString &content = QString(), bool ctrlC = false, bool blank = false)
{
    CtrlACommand c;
    c.mode = mode;
    c.args = args;
    c.content = content;
    c.ctrlC = ctrlC;
    c.sendBlankContents = blank;
    return c.wireBytes();
}

QByteArray insertArticle(const QString &name, const QString &channel, const QString &content)
{
    return command("0", name + " " + channel + " 12", content, true, true);
}

// The window's identification text for a reply: "Connected to " + the maker's text up to " --",
// ", " and the six characters after the next line end.
QString panelText(const QString &reply)
{
    const int p = reply.indexOf("Orvane", 0, Qt::CaseInsensitive);
    if (p < 0 || p > 8)
        return QString();
    const int dashes = reply.indexOf(" --", p + 6);
    const int lineEnd = reply.indexOf("\r\n", p);
    if (dashes < 0 || lineEnd < 0)
        return QString();
    return "Connected to " + reply.mid(p, dashes - p) + ", " + reply.mid(lineEnd + 2, 6);
}

// The names a reader of the list takes: after the line holding "Text", the first word of each
// line, except status lines (01, 03, 05, 07), dividers and the Web TV link.
QStringList namesInList(const QString &reply)
{
    QStringList names;
    int p = reply.indexOf("Text", 0, Qt::CaseInsensitive);
    if (p < 0)
        return names;
    for (;;) {
        const int cr = reply.indexOf('\r', p);
        if (cr < 0)
            break;
        p = cr + 2;
        const int blank = reply.indexOf(' ', p);
        if (blank < 0)
            break;
        const QString name = reply.mid(p, blank - p);
        const QString two = name.left(2);
        if (two != "01" && two != "03" && two != "05" && two != "07" && !name.startsWith('-') &&
            name != "URL")
            names << name;
    }
    return names;
}

} // namespace

class TestEncoderSim : public QObject
{
    Q_OBJECT
private slots:
    void identification_data();
    void identification();

    void everyCommandGetsThePrompt_data();
    void everyCommandGetsThePrompt();
    void commandsAreRecordedWithTheirTime();
    void ctrlCCancelsAHalfTypedLine();
    void silentNeverAnswers();

    void articlesAreStoredAndRemoved();
    void listLayout();
    void emptyList();
};

void TestEncoderSim::identification_data()
{
    QTest::addColumn<bool>("maker");
    QTest::addColumn<QString>("panel");
    QTest::newRow("with maker") << true
                                << "Connected to Orvane T42X Closed Caption Encoder, Serial";
    QTest::newRow("without maker") << false << QString();
}

void TestEncoderSim::identification()
{
    QFETCH(bool, maker);
    QFETCH(QString, panel);

    EncoderSimulator sim;
    sim.setMakerName(maker);
    const QString reply = QString::fromLatin1(sim.receive(CtrlACommand::readinessQuery(), 1));
    QVERIFY(reply.endsWith("\r\n*"));
    QCOMPARE(reply.contains("Orvane"), maker);
    QVERIFY(reply.startsWith(sim.identification()));
    QCOMPARE(panelText(reply), panel);
}

void TestEncoderSim::everyCommandGetsThePrompt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("packet") << command("P", "0501 4142");
    QTest::newRow("clock") << command("c", "12:00:00");
    QTest::newRow("decoder") << command("M", "1");
    QTest::newRow("block") << command("6", "C1");
    QTest::newRow("caption") << command("2", "C1", "HELLO", true, true);
    QTest::newRow("empty caption") << command("2", "C1", "", true, true);
    QTest::newRow("caption without blank line") << command("2", "T2", "", true, false);
    QTest::newRow("article insert") << insertArticle("Weather", "T3", "Sunny\rWarm");
    QTest::newRow("Web TV link") << command("0", "URL T2 1 D O L", "<http://x>", true);
    QTest::newRow("removal of a missing article") << command("4", "Nothing D");
    QTest::newRow("bare") << command("");
}

void TestEncoderSim::everyCommandGetsThePrompt()
{
    QFETCH(QByteArray, bytes);

    EncoderSimulator sim;
    // Byte by byte: nothing comes back before the command's last byte.
    for (int i = 0; i + 1 < bytes.size(); ++i)
        QCOMPARE(sim.receive(bytes.mid(i, 1), i), QByteArray());
    const QByteArray reply = sim.receive(bytes.right(1), 99);
    QVERIFY(reply.startsWith("\r\n"));
    QVERIFY(reply.endsWith("\r\n*"));
    QVERIFY(!reply.contains("rticle")); // only the list may look like an article list
    QCOMPARE(sim.received().size(), 1);
    QCOMPARE(sim.received().at(0).bytes.toHex(' '), bytes.toHex(' '));
    QCOMPARE(sim.received().at(0).msecsSinceEpoch, qint64(99));
}

void TestEncoderSim::commandsAreRecordedWithTheirTime()
{
    EncoderSimulator sim;
    const QByteArray two = CtrlACommand::readinessQuery() + command("9");
    const QByteArray reply = sim.receive(two, 1000);
    QCOMPARE(reply.count("\r\n*"), 2);
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
}

void TestEncoderSim::ctrlCCancelsAHalfTypedLine()
{
    EncoderSimulator sim;
    const QByteArray reply = sim.receive("\x01P 05" + CtrlACommand::readinessQuery(), 5);
    QVERIFY(reply.contains("Orvane"));
    QCOMPARE(sim.received().size(), 1);
    QCOMPARE(sim.received().at(0).bytes.toHex(' '), QByteArray("03 0d 01 3f 0d"));
}

void TestEncoderSim::silentNeverAnswers()
{
    EncoderSimulator sim;
    sim.setSilent(true);
    QVERIFY(sim.receive(CtrlACommand::readinessQuery() + command("9"), 1).isEmpty());
    QCOMPARE(sim.received().size(), 2);
}

void TestEncoderSim::articlesAreStoredAndRemoved()
{
    EncoderSimulator sim;
    sim.receive(insertArticle("Weather", "T3", "Sunny"), 1);
    sim.receive(insertArticle("News", "T1", "Today"), 2);
    sim.receive(insertArticle("Weather", "T2", "Rain"), 3); // replaces
    sim.receive(command("0", "URL T2 1 D O L", "<http://x>", true), 4);
    QCOMPARE(sim.articleNames(), (QStringList{"Weather", "News"}));

    QCOMPARE(sim.receive(command("4", "Weather D"), 5), QByteArray("\r\nOK\r\n*"));
    QCOMPARE(sim.articleNames(), QStringList{"News"});
    QVERIFY(sim.receive(command("4", "Weather D"), 6).contains("Not found"));

    QVERIFY(QString::fromLatin1(sim.receive(command("9"), 7)).contains("\r\nURL "));
    sim.receive(command("4", "URL D"), 8);
    QVERIFY(!QString::fromLatin1(sim.receive(command("9"), 9)).contains("\r\nURL "));
    QCOMPARE(sim.articleNames(), QStringList{"News"});
}

void TestEncoderSim::listLayout()
{
    EncoderSimulator sim;
    sim.receive(command("0", "URL T2 1 D O L", "<http://x>", true), 1);
    sim.receive(insertArticle("Weather", "T3", "Sunny\rWarm"), 2);
    sim.receive(insertArticle("url", "T4", "lower-case name"), 3);
    const QString reply = QString::fromLatin1(sim.receive(command("9"), 4));

    QVERIFY(reply.startsWith("\r\n"));
    QVERIFY(reply.endsWith("\r\n*"));
    QVERIFY(reply.contains("Article", Qt::CaseInsensitive));
    QVERIFY(panelText(reply).isEmpty()); // not mistaken for an identification

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
    QVERIFY(lines.at(heading + 8).startsWith("url "));
    QCOMPARE(lines.last(), QStringLiteral("*"));

    QCOMPARE(namesInList(reply), (QStringList{"Weather", "url"}));
}

void TestEncoderSim::emptyList()
{
    EncoderSimulator sim;
    const QString reply = QString::fromLatin1(sim.receive(command("9"), 1));
    QVERIFY(reply.endsWith("-\r\n*"));
    QVERIFY(namesInList(reply).isEmpty());
}

QTEST_GUILESS_MAIN(TestEncoderSim)
#include "tst_encodersim.moc"
