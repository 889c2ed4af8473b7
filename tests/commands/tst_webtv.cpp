#include "commands/ControlProcessing.h"
#include "commands/WebTVTrigger.h"

#include <QTest>

// The Web TV link: the trigger text, its checksum and the two commands of the tab.
class tst_WebTV : public QObject
{
    Q_OBJECT

private:
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
        const auto row = [](const char *name, const QString &text, const char *sum) {
            QTest::newRow(name) << text << QString::fromLatin1(sum);
        };
        row("abc", "abc", "3B9D");
        row("empty", "", "FFFF");
        row("scheme only", "<http://>[t:p][v:tv]", "807E");
        row("one character is a high byte", "a", "9EFF");
        row("small sums keep four digits", QString::fromLatin1("\xFF\xFF"), "0000");
        row("Latin-1, odd length", QString::fromLatin1("<http://caf\xE9.fr>[t:p]"), "51E5");
    }
    void checksum()
    {
        QFETCH(QString, text);
        QFETCH(QString, sum);
        QCOMPARE(WebTVTrigger::Checksum(text), sum);
    }

    void triggerText_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QVector<int>>("expiry"); // year, month, day indexes then values
        QTest::addColumn<QString>("body");
        const auto row = [](const char *name, const char *description, const char *script,
                            const QVector<int> &expiry, const char *body) {
            QTest::newRow(name) << QString(description) << QString(script) << expiry
                                << QString(body);
        };
        const QVector<int> blank(6, 0);
        row("name and script", "News", "go()", blank, "<http://>[t:p][n:News][s:go()][v:tv]");
        row("brackets kept", "a]b", "", blank, "<http://>[t:p][n:a]b][v:tv]");
        row("script line breaks become blanks", "", "a\r\nb\nc\rd", blank,
            "<http://>[t:p][s:a b c d][v:tv]");
        row("31 December 2008", "", "", {1, 1, 31, 2008, 12, 31},
            "<http://>[t:p][e:20081231][v:tv]");
        row("single digits padded", "N", "", {2, 3, 1, 2027, 3, 5},
            "<http://>[t:p][n:N][e:20270305][v:tv]");
        row("day blank, no expiry", "", "", {1, 1, 0, 2008, 12, 0}, "<http://>[t:p][v:tv]");
        row("year blank, no expiry", "", "", {0, 1, 1, 0, 12, 1}, "<http://>[t:p][v:tv]");
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
        QCOMPARE(WebTVTrigger::TriggerText(c), body + '[' + WebTVTrigger::Checksum(body) + ']');
    }

    void command_data()
    {
        QTest::addColumn<int>("enable");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QByteArray>("wire");
        const auto row = [](const char *name, int enable, int option, const char *repeat,
                            const QByteArray &afterSoh) {
            QTest::newRow(name) << enable << option << QString(repeat)
                                << (afterSoh.isEmpty() ? afterSoh : '\x01' + afterSoh);
        };
        row("insert", 1, 0, "1", "0 URL T2 1 D O L\r<http://>[t:p][v:tv][807E]\r\x03");
        row("repeat count as typed, greyed enable counts", 2, 0, "0099",
            "0 URL T2 0099 D O L\r<http://>[t:p][v:tv][807E]\r\x03");
        row("pass upstream", 1, 1, "1", "4 URL D\r");
        row("enable unchecked, insert", 0, 0, "1", "");
        row("enable unchecked, pass", 0, 1, "1", "");
        row("no option", 1, -1, "1", "");
    }
    void command()
    {
        QFETCH(int, enable);
        QFETCH(int, option);
        QFETCH(QString, repeat);
        QFETCH(QByteArray, wire);
        Configuration c = insertConfiguration();
        c.chCtrlWebTV = enable;
        c.oWebTV = option;
        c.txtWebRepeat = repeat;
        QByteArray queued;
        ControlProcessing(c, {}, [&queued](const CtrlACommand &k) {
            queued += k.wireBytes();
        }).BuildWebTVCommand();
        QCOMPARE(queued, wire);
    }
};

QTEST_GUILESS_MAIN(tst_WebTV)
#include "tst_webtv.moc"
