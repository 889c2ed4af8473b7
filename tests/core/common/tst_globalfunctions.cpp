#include "DataRows.h"
#include "core/common/GlobalFunctions.h"
#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/common/ReadTextFile.h"
#include "ui/DialogService.h"

#include <QTemporaryDir>
#include <QtTest>

// The shared helpers: clock text, reading typed numbers, the code page, the time-zone
// snapshot and text files read as lists (the path first, then the lines, whatever the line ends).
class tst_GlobalFunctions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }

private slots:
    // Hours, minutes and seconds; the hours grow past two digits.
    void clockText()
    {
        QCOMPARE(GlobalFunctions::secondsToClockText(3725), QStringLiteral("01:02:05"));
        QCOMPARE(GlobalFunctions::secondsToClockText(100 * 3600), QStringLiteral("100:00:00"));
    }

    // tests/data/leading-number.rows
    void leadingNumber_data() { addRows("leading-number", {"text", "number", "int16"}); }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        QCOMPARE(GlobalFunctions::leadingNumber(text), number.toDouble());
        qint16 whole = 0;
        QTEST(GlobalFunctions::leadingInt16(text, &whole) ? QString::number(whole) : QString(),
              "int16");
    }

    void singleByte()
    {
        QCOMPARE(GlobalFunctions::toSingleByte(QStringLiteral("Caf\u00e9 \u20ac")),
                 QByteArray("Caf\xe9 ?"));
        QCOMPARE(GlobalFunctions::fromSingleByte(QByteArray("\xe9\x01")),
                 QStringLiteral("\u00e9\u0001"));
    }

    // Fixed offsets as text, signed and unsigned; the system zone as it is on a given day.
    void timeZoneSnapshot()
    {
        for (const auto &[minutes, text] :
             {std::pair{330, "05:30"}, {-210, "-03:30"}, {765, "12:45"}}) {
            const auto s = LocalTimeZoneSnapshot::fromOffset(minutes, false);
            QCOMPARE(s.SignedOffsetText, QString(text));
            QCOMPARE(s.UnsignedOffsetText, QString(text).remove('-'));
        }
        // New York in July: daylight time in force, standard offset five hours west.
        const QTimeZone zone("America/New_York");
        const auto s =
            LocalTimeZoneSnapshot::take(zone, QDateTime(QDate(2026, 7, 1), QTime(12, 0), zone));
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

    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("Sunny\r\nWarm\r\n") << QStringList{"Sunny", "Warm"};
        QTest::newRow("mixed, last line unterminated")
            << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty lines kept")
            << QByteArray("a\r\n\r\nb\r\n\r\n") << QStringList{"a", "", "b", ""};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("blanks kept") << QByteArray("  x  \r\n") << QStringList{"  x  "};
        QTest::newRow("single-byte code page")
            << QByteArray("caf\xE9") << QStringList{QString::fromLatin1("caf\xE9")};
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = write(QStringLiteral("lines.txt"), bytes);
        QVERIFY(!path.isEmpty());
        QCOMPARE(readTextFile(path), QStringList{path} + lines);
    }
};

QTEST_GUILESS_MAIN(tst_GlobalFunctions)
#include "tst_globalfunctions.moc"
