#include "common/DialogService.h"
#include "common/GlobalFunctions.h"
#include "common/LocalTimeZoneSnapshot.h"

#include <QtTest>

// The shared helpers: clock text, rounding, reading typed numbers, the code page and the
// time-zone snapshot.
class tst_GlobalFunctions : public QObject
{
    Q_OBJECT
private slots:

    void clockText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("3725") << qint64(3725) << "01:02:05";
        QTest::newRow("over 99 hours keeps all digits") << qint64(100 * 3600) << "100:00:00";
    }

    void clockText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(GlobalFunctions::SecondsToClockText(seconds), text);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("3.5") << 3.5 << qint64(4);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("13333.33") << 100000.0 / 1200 * 100 + 5000 << qint64(13333);
        QTest::newRow("5260.4") << 100000.0 / 38400 * 100 + 5000 << qint64(5260);
    }

    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(GlobalFunctions::RoundHalfEven(value), rounded);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "4660" << 4660.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks inside") << "1 2 3" << 123.0;
        QTest::newRow("tab and line feed") << "\t4\n5" << 45.0;
        QTest::newRow("stops at letters") << "12ab" << 12.0;
        QTest::newRow("decimal") << "2.5" << 2.5;
        QTest::newRow("sign") << "-3" << -3.0;
        QTest::newRow("exponent") << "1e3x" << 1000.0;
        QTest::newRow("dangling exponent") << "5e" << 5.0;
        QTest::newRow("hexadecimal") << "&H1F" << 31.0;
        QTest::newRow("octal") << "&o17" << 15.0;
        QTest::newRow("other scripts' digits end a hexadecimal number") << "&H1F\u0663" << 31.0;
        QTest::newRow("other scripts' digits end an octal number") << "&O7\uff11" << 7.0;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(GlobalFunctions::LeadingNumber(text), value);
    }

    void singleByte()
    {
        const QString text = QStringLiteral("Caf\u00e9 \u20ac");
        const QByteArray bytes = GlobalFunctions::ToSingleByte(text);
        QCOMPARE(bytes, QByteArray("Caf\xe9 ?"));
        QCOMPARE(GlobalFunctions::FromSingleByte(QByteArray("\xe9\x01")),
                 QStringLiteral("\u00e9\u0001"));
    }

    void timeZoneSnapshot_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("signedText");
        QTest::addColumn<QString>("unsignedText");
        QTest::newRow("UTC+05:30") << 330 << "05:30"
                                   << "05:30";
        QTest::newRow("UTC-03:30") << -210 << "-03:30"
                                   << "03:30";
        QTest::newRow("UTC+12:45") << 765 << "12:45"
                                   << "12:45";
    }

    void timeZoneSnapshot()
    {
        QFETCH(int, minutes);
        QFETCH(QString, signedText);
        QFETCH(QString, unsignedText);
        const auto s = LocalTimeZoneSnapshot::fromOffset(minutes, false);
        QCOMPARE(s.SignedOffsetText, signedText);
        QCOMPARE(s.UnsignedOffsetText, unsignedText);
    }

    void timeZoneFromSystemZone()
    {
        // New York in July: daylight time in force, standard offset five hours west.
        const QTimeZone zone("America/New_York");
        const QDateTime summer(QDate(2026, 7, 1), QTime(12, 0), zone);
        const auto s = LocalTimeZoneSnapshot::take(zone, summer);
        QCOMPARE(s.UtcOffsetMinutes, -300);
        QVERIFY(s.InDaylightTime);
        QCOMPARE(s.SignedOffsetText, QStringLiteral("-05:00"));
    }

    void filterText()
    {
        QCOMPARE(DialogService::qtFilter("Orvane Configuration File (.qcf)|*.qcf"),
                 QStringLiteral("Orvane Configuration File (.qcf) (*.qcf)"));
        QCOMPARE(DialogService::qtFilter("All (*)"), QStringLiteral("All (*)"));
    }
};

QTEST_GUILESS_MAIN(tst_GlobalFunctions)
#include "tst_globalfunctions.moc"
