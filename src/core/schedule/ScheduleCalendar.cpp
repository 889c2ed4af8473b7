#include "core/schedule/ScheduleCalendar.h"

#include <QDateTime>

#include <algorithm>

namespace {
constexpr qint64 Day = 24 * 3600 * 1000;
// Events last at most a week: an occurrence started earlier than this has ended.
constexpr qint64 LookBack = 8 * Day;
} // namespace

ScheduleCalendar::ScheduleCalendar(const QList<ScheduleEvent> &events, const QTimeZone &zone)
    : m_events(events), m_zone(zone)
{
}

qint64 ScheduleCalendar::momentOf(const QDate &date, const QTime &time, const QTimeZone &zone)
{
    const qint64 naive = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    const auto offsetAt = [&zone](qint64 moment) {
        return qint64(zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(moment, Qt::UTC))) * 1000;
    };
    // The local time is read with the offsets in force a day before and a day after; each one
    // that gives back the same local time is a moment it happens.
    const qint64 offsets[] = {offsetAt(naive - Day), offsetAt(naive + Day)};
    qint64 first = Never;
    for (qint64 offset : offsets) {
        if (offsetAt(naive - offset) == offset)
            first = qMin(first, naive - offset);
    }
    if (first != Never)
        return first;
    // In the gap: the clocks moved forward between the two readings.
    const qint64 earliest = naive - qMax(offsets[0], offsets[1]);
    const QTimeZone::OffsetData next =
        zone.nextTransition(QDateTime::fromMSecsSinceEpoch(earliest - 1, Qt::UTC));
    return next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : naive - offsets[0];
}

void ScheduleCalendar::addShift(qint64 from, qint64 by)
{
    const QDate day = QDateTime::fromMSecsSinceEpoch(from, m_zone).date();
    m_shifts << Shift{from, momentOf(day.addDays(1), QTime(0, 0), m_zone), by};
    m_windows.clear();
}

int ScheduleCalendar::defaultFor(const QString &encoder) const
{
    for (int i = 0; i < m_events.size(); ++i) {
        if (m_events[i].kind == ScheduleEvent::Kind::Default && m_events[i].appliesTo(encoder))
            return i;
    }
    return -1;
}

const ScheduleCalendar::Window &ScheduleCalendar::window(const QString &encoder, qint64 at) const
{
    Window &w = m_windows[encoder];
    if (!w.occurrences.isEmpty() && at - LookBack >= w.from && at + 2 * Day <= w.to)
        return w;
    w.from = at - LookBack - Day;
    w.to = at + 3 * Day + Day;
    w.occurrences.clear();
    const QDate last = QDateTime::fromMSecsSinceEpoch(w.to, m_zone).date().addDays(1);
    for (QDate day = QDateTime::fromMSecsSinceEpoch(w.from, m_zone).date().addDays(-1); day <= last;
         day = day.addDays(1)) {
        for (int i = 0; i < m_events.size(); ++i) {
            const ScheduleEvent &event = m_events[i];
            if (!event.occursOn(day) || !event.appliesTo(encoder))
                continue;
            qint64 start = momentOf(day, event.time, m_zone);
            const qint64 original = start;
            for (const Shift &shift : m_shifts) {
                if (original >= shift.from && original < shift.until)
                    start += shift.by;
            }
            w.occurrences.append({start, Never, i});
        }
    }
    std::stable_sort(w.occurrences.begin(), w.occurrences.end(),
                     [](const Occurrence &a, const Occurrence &b) { return a.start < b.start; });
    for (int i = 0; i < w.occurrences.size(); ++i) {
        Occurrence &o = w.occurrences[i];
        const qint64 duration = m_events[o.event].durationMsecs;
        if (duration >= 0) {
            o.end = o.start + duration;
            continue;
        }
        for (int j = i + 1; j < w.occurrences.size() && o.end == Never; ++j) {
            if (w.occurrences[j].start > o.start)
                o.end = w.occurrences[j].start;
        }
    }
    return w;
}

ScheduleCalendar::OnAir ScheduleCalendar::onAir(const QString &encoder, qint64 at) const
{
    const QVector<Occurrence> &list = window(encoder, at).occurrences;
    // With no default, the air stays with the one that left it last.
    const Occurrence *last = nullptr;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->start > at)
            continue;
        if (it->end > at)
            return {it->event, it->start, it->end, false};
        if (!last || it->end > last->end)
            last = &*it;
    }
    if (const int fallback = defaultFor(encoder); fallback >= 0)
        return {fallback, 0, Never, false};
    if (last)
        return {last->event, last->start, last->end, true};
    return {};
}

qint64 ScheduleCalendar::nextChange(const QString &encoder, qint64 at) const
{
    qint64 next = at + Day;
    for (const Occurrence &o : window(encoder, at).occurrences) {
        if (o.start > at)
            next = qMin(next, o.start);
        if (o.end > at && o.end != Never)
            next = qMin(next, o.end);
    }
    return next;
}

QList<ScheduleCalendar::Change> ScheduleCalendar::changes(const QString &encoder, qint64 from,
                                                          qint64 to) const
{
    QList<Change> list{{from, onAir(encoder, from)}};
    for (Change next = nextAfter(encoder, from); next.at < to; next = nextAfter(encoder, next.at))
        list.append(next);
    return list;
}

ScheduleCalendar::Change ScheduleCalendar::nextAfter(const QString &encoder, qint64 at) const
{
    const OnAir now = onAir(encoder, at);
    const qint64 limit = at + 7 * Day;
    for (qint64 next = nextChange(encoder, at); next <= limit; next = nextChange(encoder, next)) {
        const OnAir then = onAir(encoder, next);
        if (then.event != now.event || then.start != now.start)
            return {next, then};
    }
    return {Never, {}};
}
