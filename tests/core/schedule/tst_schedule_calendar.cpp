#include "DataRows.h"
#include "core/schedule/ScheduleCalendar.h"
#include "core/schedule/ScheduleFile.h"

#include <QTest>

// What a schedule puts on air, followed in two zones across both daylight-saving changes.
class tst_ScheduleCalendar : public QObject
{
    Q_OBJECT

private slots:
    void onAir_data()
    {
        addRows(QStringLiteral("schedule-on-air"),
                {"schedule", "zone", "from", "hours", "changes"});
    }
    void onAir()
    {
        QFETCH(QString, schedule);
        QFETCH(QString, zone);
        QFETCH(QString, from);
        QFETCH(QString, hours);
        QFETCH(QString, changes);
        const ScheduleFile::Result read = ScheduleFile::parse(
            "start,duration,program,system,rating\n" + schedule.toUtf8(), "FILE", {"a"});
        QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
        const ScheduleCalendar calendar(read.events, QTimeZone(zone.toLatin1()));
        const qint64 start = QDateTime::fromString(from + "Z", Qt::ISODate).toMSecsSinceEpoch();
        QStringList seen;
        for (const ScheduleCalendar::Change &change :
             calendar.changes("a", start, start + hours.toLongLong() * 3600000)) {
            const int event = change.onAir.event;
            seen << QDateTime::fromMSecsSinceEpoch(change.at, Qt::UTC).toString("HH:mm ") +
                        (event < 0 ? QStringLiteral("-") : read.events.at(event).program);
        }
        QCOMPARE(seen.join("; "), changes);
    }
};

QTEST_GUILESS_MAIN(tst_ScheduleCalendar)
#include "tst_schedule_calendar.moc"
