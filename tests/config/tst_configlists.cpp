#include "config/ConfigFields.h"
#include "config/ConfigLists.h"

#include <QtTest>

class tst_ConfigLists : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAreFoundByNameAndEntry();
    void defaultsFollowPlantInformation();
    void expiryLists_data();
    void expiryLists();
    void cgmsOptionsOfferNotApplicableOnlyWhenOff();
};

void tst_ConfigLists::fieldsAreFoundByNameAndEntry()
{
    QCOMPARE(ConfigFields::byName("oCGMS")->entry, 49);
    QCOMPARE(ConfigFields::byEntry(37)->name, "cmbProgRatingSys");
    QVERIFY(!ConfigFields::byEntry(50));
}

void tst_ConfigLists::defaultsFollowPlantInformation()
{
    const Configuration c = Configuration::defaults(DefaultInfo{"NBC", "WNBC", "4660"}, true);
    const QStringList texts = {c.txtNetworkName, c.txtCallLetters, c.txtTSID};
    QCOMPARE(texts, QStringList({"NBC", "WNBC", "4660"}));
    QCOMPARE(c.chDSInEffect, 1);
    Configuration other = c;
    other.chBlockingSettings[4] = 1;
    QVERIFY(other != c);
}

// The values a list offers after its blank entry, for a day of 15 March 2026; month 0 asks
// for the month list of the year.
void tst_ConfigLists::expiryLists_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("months of this year start with this month") << 2026 << 0 << 3 << 12;
    QTest::newRow("months of next year start in January") << 2027 << 0 << 1 << 12;
    QTest::newRow("a blank year has no months") << 0 << 0 << 1 << 0;
    QTest::newRow("days of this month start today") << 2026 << 3 << 15 << 31;
    QTest::newRow("days of a later month start on the 1st") << 2026 << 4 << 1 << 30;
    QTest::newRow("February of a leap year") << 2028 << 2 << 1 << 29;
    QTest::newRow("February of a common year") << 2027 << 2 << 1 << 28;
}

void tst_ConfigLists::expiryLists()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, first);
    QFETCH(int, last);
    const QDate today(2026, 3, 15);
    const auto entries = month ? ConfigLists::ExpiryDays(year, month, today)
                               : ConfigLists::ExpiryMonths(year, today);
    QList<int> values, expected{0};
    for (const auto &entry : entries)
        values << entry.value;
    for (int value = first; value <= last; ++value)
        expected << value;
    QCOMPARE(values, expected);
    if (entries.size() > 1)
        QCOMPARE(entries[1].text, month ? QString::number(first)
                                        : QLocale::system().monthName(first, QLocale::LongFormat));
}

void tst_ConfigLists::cgmsOptionsOfferNotApplicableOnlyWhenOff()
{
    QCOMPARE(ConfigLists::CgmsOptionsFor(0).first(), ConfigLists::NotApplicable);
    QCOMPARE(ConfigLists::CgmsOptionsFor(0).size(), 5);
    QCOMPARE(ConfigLists::CgmsOptionsFor(2).first(), QStringLiteral("No APS"));
    QCOMPARE(ConfigLists::CgmsOptionsFor(2).size(), 4);
}

QTEST_GUILESS_MAIN(tst_ConfigLists)
#include "tst_configlists.moc"
