#include "commands/ControlProcessing.h"
#include "commands/WebTVTrigger.h"

#include <QTest>

// The Web TV link: the trigger text, its checksum and the two commands of the tab.
class tst_WebTV : public QObject
{
    Q_OBJECT

private:
    static QList<CtrlACommand> build(const Configuration &c)
    {
        QList<CtrlACommand> queued;
        ControlProcessing(c, {}, [&queued](const CtrlACommand &k) {
            queued << k;
        }).BuildWebTVCommand();
        return queued;
    }
    static Configuration insertConfiguration()
    {
        Configuration c;
        c.chCtrlWebTV = 1;
        c.oWebTV = 0;
        c.txtWebURL = QStringLiteral("http://");
        c.txtWebRepeat = QStringLiteral("1");
        return c;
    }

private slots:
    void checksum_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sum");
        QTest::newRow("abc") << "abc"
                             << "3B9D";
        QTest::newRow("empty") << ""
                               << "FFFF";
        QTest::newRow("scheme only") << "<http://>[t:p][v:tv]"
                                     << "807E";
        QTest::newRow("one character is a high byte") << "a"
                                                      << "9EFF";
        QTest::newRow("small sums keep four digits") << QString::fromLatin1("\xFF\xFF") << "0000";
    }
    void checksum()
    {
        QFETCH(QString, text);
        QFETCH(QString, sum);
        QCOMPARE(WebTVTrigger::Checksum(text), sum);
    }

    // The checksum is the RFC 1071 sum: adding it back into the words of the text gives FFFF.
    void checksumVerifies_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("even length") << "<http://example.com/>[t:p][v:tv]";
        QTest::newRow("odd length") << "<http://x.org>[t:p][n:News]";
        QTest::newRow("Latin-1") << QString::fromLatin1("<http://caf\xE9.fr>[t:p]");
    }
    void checksumVerifies()
    {
        QFETCH(QString, text);
        QByteArray bytes = text.toLatin1();
        if (bytes.size() % 2)
            bytes.append('\0');
        quint32 sum = WebTVTrigger::Checksum(text).toUInt(nullptr, 16);
        for (int i = 0; i < bytes.size(); i += 2)
            sum += (quint8(bytes.at(i)) << 8) | quint8(bytes.at(i + 1));
        while (sum > 0xFFFF)
            sum = (sum & 0xFFFF) + (sum >> 16);
        QCOMPARE(sum, 0xFFFFu);
    }

    void triggerText_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QVector<int>>("expiry"); // year, month, day indexes then values
        QTest::addColumn<QString>("body");
        const QVector<int> blank(6, 0);
        QTest::newRow("scheme only") << ""
                                     << "" << blank << "<http://>[t:p][v:tv]";
        QTest::newRow("name and script")
            << "News"
            << "go()" << blank << "<http://>[t:p][n:News][s:go()][v:tv]";
        QTest::newRow("brackets kept") << "a]b"
                                       << "" << blank << "<http://>[t:p][n:a]b][v:tv]";
        QTest::newRow("31 December 2008")
            << ""
            << "" << QVector<int>{1, 1, 31, 2008, 12, 31} << "<http://>[t:p][e:20081231][v:tv]";
        QTest::newRow("single digits padded")
            << "N"
            << "" << QVector<int>{2, 3, 1, 2027, 3, 5} << "<http://>[t:p][n:N][e:20270305][v:tv]";
        QTest::newRow("day blank, no expiry")
            << ""
            << "" << QVector<int>{1, 1, 0, 2008, 12, 0} << "<http://>[t:p][v:tv]";
        QTest::newRow("year blank, no expiry")
            << ""
            << "" << QVector<int>{0, 1, 1, 0, 12, 1} << "<http://>[t:p][v:tv]";
    }
    void triggerText()
    {
        QFETCH(QString, description);
        QFETCH(QString, script);
        QFETCH(QVector<int>, expiry);
        QFETCH(QString, body);
        Configuration c = insertConfiguration();
        c.txtWebDescription = description;
        c.txtWebScript = script;
        c.cmbWebExpiryYear = expiry.at(0);
        c.cmbWebExpiryMonth = expiry.at(1);
        c.cmbWebExpiryDay = expiry.at(2);
        c.webExpiryYearValue = expiry.at(3);
        c.webExpiryMonthValue = expiry.at(4);
        c.webExpiryDayValue = expiry.at(5);
        const QString expected =
            body + QLatin1Char('[') + WebTVTrigger::Checksum(body) + QLatin1Char(']');
        QCOMPARE(WebTVTrigger::TriggerText(c), expected);
    }

    void insertCommand()
    {
        const QList<CtrlACommand> queued = build(insertConfiguration());
        QCOMPARE(queued.size(), 1);
        const CtrlACommand &k = queued.first();
        QCOMPARE(k.mode, QStringLiteral("0"));
        QCOMPARE(k.args, QStringLiteral("URL T2 1 D O L"));
        QCOMPARE(k.content, QStringLiteral("<http://>[t:p][v:tv][807E]"));
        QVERIFY(k.ctrlC);
        QVERIFY(!k.sendBlankContents);
        QCOMPARE(k.wireBytes(), QByteArray("\x01"
                                           "0 URL T2 1 D O L\r<http://>[t:p][v:tv][807E]\r\x03"));
    }

    void repeatCountSentAsTyped()
    {
        Configuration c = insertConfiguration();
        c.txtWebRepeat = QStringLiteral("0099");
        QCOMPARE(build(c).value(0).args, QStringLiteral("URL T2 0099 D O L"));
    }

    void passUpstreamWireBytes()
    {
        Configuration c = insertConfiguration();
        c.oWebTV = 1;
        const QList<CtrlACommand> queued = build(c);
        QCOMPARE(queued.size(), 1);
        QCOMPARE(queued.first().wireBytes(), QByteArray("\x01"
                                                        "4 URL D\r"));
    }

    void nothingQueued_data()
    {
        QTest::addColumn<int>("enable");
        QTest::addColumn<int>("option");
        QTest::newRow("enable unchecked, insert") << 0 << 0;
        QTest::newRow("enable unchecked, pass") << 0 << 1;
        QTest::newRow("no option") << 1 << -1;
    }
    void nothingQueued()
    {
        QFETCH(int, enable);
        QFETCH(int, option);
        Configuration c = insertConfiguration();
        c.chCtrlWebTV = enable;
        c.oWebTV = option;
        QVERIFY(build(c).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_WebTV)
#include "tst_webtv.moc"
