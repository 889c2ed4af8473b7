#include "config/ConfigFields.h"
#include "config/ConfigLists.h"

#include <QtTest>

class tst_ConfigLists : public QObject
{
    Q_OBJECT
private slots:
    void fieldTableIsComplete();
    void defaultsFollowPlantInformation();
    void expiryMonths_data();
    void expiryMonths();
    void expiryDays_data();
    void expiryDays();
    void cgmsOptions();
};

void tst_ConfigLists::fieldTableIsComplete()
{
    const auto &fields = ConfigFields::all();
    QCOMPARE(fields.size(), 49);
    QSet<QString> names;
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(fields[i].entry, i + 1);
        names.insert(QString::fromLatin1(fields[i].name));
    }
    QCOMPARE(names.size(), 49);
    QCOMPARE(ConfigFields::byName("oCGMS")->entry, 49);
    QCOMPARE(ConfigFields::byEntry(37)->name, "cmbProgRatingSys");
    QVERIFY(!ConfigFields::byEntry(50));
}

void tst_ConfigLists::defaultsFollowPlantInformation()
{
    const DefaultInfo info{"NBC", "WNBC", "4660"};
    const Configuration c = Configuration::defaults(info, true);
    QCOMPARE(c.txtNetworkName, QStringLiteral("NBC"));
    QCOMPARE(c.txtTSID, QStringLiteral("4660"));
    QCOMPARE(c.chDSInEffect, 1);
    QCOMPARE(c.oNetworkName, 2);
    QCOMPARE(c.oWebTV, 1);
    QCOMPARE(c.oDecoderSettings, 10);
    Configuration other = c;
    QVERIFY(other == c);
    other.chBlockingSettings[4] = 1;
    QVERIFY(other != c);
}

void tst_ConfigLists::expiryMonths_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::newRow("this year starts with this month") << 2026 << 3 << 11; // blank + Mar..Dec
    QTest::newRow("next year starts in January") << 2027 << 1 << 13;
    QTest::newRow("blank year") << 0 << 0 << 1;
}

void tst_ConfigLists::expiryMonths()
{
    QFETCH(int, year);
    QFETCH(int, first);
    QFETCH(int, count);
    const auto months = ConfigLists::ExpiryMonths(year, QDate(2026, 3, 15));
    QCOMPARE(months.size(), count);
    QCOMPARE(months[0].value, 0);
    if (count > 1) {
        QCOMPARE(months[1].value, first);
        QCOMPARE(months[1].text, QLocale::system().monthName(first, QLocale::LongFormat));
        QCOMPARE(months.last().value, 12);
    }
}

void tst_ConfigLists::expiryDays_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("today's month starts today") << 2026 << 3 << 15 << 31;
    QTest::newRow("a later month starts on the 1st") << 2026 << 4 << 1 << 30;
    QTest::newRow("February of a leap year") << 2028 << 2 << 1 << 29;
    QTest::newRow("February of a common year") << 2027 << 2 << 1 << 28;
}

void tst_ConfigLists::expiryDays()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, first);
    QFETCH(int, last);
    const auto days = ConfigLists::ExpiryDays(year, month, QDate(2026, 3, 15));
    QCOMPARE(days[0].value, 0);
    QCOMPARE(days[1].value, first);
    QCOMPARE(days[1].text, QString::number(first));
    QCOMPARE(days.last().value, last);
    QCOMPARE(days.size(), last - first + 2);
}

void tst_ConfigLists::cgmsOptions()
{
    QCOMPARE(ConfigLists::CgmsOptionsFor(0).first(), ConfigLists::NotApplicable);
    QCOMPARE(ConfigLists::CgmsOptionsFor(0).size(), 5);
    QCOMPARE(ConfigLists::CgmsOptionsFor(2).first(), QStringLiteral("No APS"));
    QCOMPARE(ConfigLists::CgmsOptionsFor(2).size(), 4);
}

QTEST_GUILESS_MAIN(tst_ConfigLists)
#include "tst_configlists.moc"
