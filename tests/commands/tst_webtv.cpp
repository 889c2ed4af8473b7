#include "commands/WebTVTrigger.h"

#include <QTest>

// The checksum that ends the Web TV trigger text (the trigger itself is in the golden files).
class tst_WebTV : public QObject
{
    Q_OBJECT

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
};

QTEST_GUILESS_MAIN(tst_WebTV)
#include "tst_webtv.moc"
