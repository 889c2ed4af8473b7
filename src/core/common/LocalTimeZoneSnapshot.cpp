#include "core/common/LocalTimeZoneSnapshot.h"

#include <cstdlib>

LocalTimeZoneSnapshot LocalTimeZoneSnapshot::take(const QTimeZone &zone, const QDateTime &at)
{
    const int standardSeconds = zone.standardTimeOffset(at);
    return fromOffset(standardSeconds / 60, zone.isDaylightTime(at));
}

LocalTimeZoneSnapshot LocalTimeZoneSnapshot::fromOffset(int utcOffsetMinutes, bool inDaylightTime)
{
    LocalTimeZoneSnapshot s;
    s.UtcOffsetMinutes = utcOffsetMinutes;
    s.InDaylightTime = inDaylightTime;
    const int absolute = std::abs(utcOffsetMinutes);
    const QString minutes = QStringLiteral("%1").arg(absolute % 60, 2, 10, QLatin1Char('0'));
    const QString hours = QStringLiteral("%1").arg(absolute / 60, 2, 10, QLatin1Char('0'));
    s.UnsignedOffsetText = hours + QLatin1Char(':') + minutes;
    // The hours are truncated toward zero and carry the sign: -03:30 for 210 minutes west.
    s.SignedOffsetText =
        (utcOffsetMinutes < 0 ? QStringLiteral("-") : QString()) + s.UnsignedOffsetText;
    return s;
}
