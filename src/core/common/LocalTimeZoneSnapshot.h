#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

// The local standard-time offset from UTC and the daylight state, taken once at start-up and
// kept for the whole run (a change of zone or of daylight saving shows after a restart).
struct LocalTimeZoneSnapshot
{
    int UtcOffsetMinutes = 0;    // minutes east of UTC, standard time (no daylight shift)
    bool InDaylightTime = false; // daylight saving in force at the moment of the snapshot
    QString SignedOffsetText;    // e.g. "-05:00", "05:30", "00:00"
    QString UnsignedOffsetText;  // e.g. "05:00"

    static LocalTimeZoneSnapshot take(const QTimeZone &zone, const QDateTime &at);
    static LocalTimeZoneSnapshot fromOffset(int utcOffsetMinutes, bool inDaylightTime);
};
