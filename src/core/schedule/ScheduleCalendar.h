#pragma once

#include "core/schedule/ScheduleEvent.h"

#include <QHash>
#include <QList>
#include <QTimeZone>
#include <QVector>

#include <limits>

// What a schedule puts on air, and when, for each encoder, in a zone's local time with its
// daylight-saving rules. Moments are milliseconds since the epoch (UTC); nothing here reads a
// clock, so that any moment can be asked about.
//
// At a moment the event on air is the one that started latest of those started and not ended
// (an event without a duration ends when the next one starts); when none runs, the default;
// with no default, the last one to end stays (expired is then true).
class ScheduleCalendar
{
public:
    static constexpr qint64 Never = std::numeric_limits<qint64>::max();

    ScheduleCalendar(const QList<ScheduleEvent> &events, const QTimeZone &zone);

    struct OnAir
    {
        int event = -1;     // index in events(); -1: nothing (before the first, no default)
        qint64 start = 0;   // the moment this occurrence started; 0 for the default
        qint64 end = Never; // when it ends by the schedule
        bool expired = false;
    };
    OnAir onAir(const QString &encoder, qint64 at) const;
    // The first moment after at when what is on air for the encoder may change (a start or an
    // end); at most a day ahead.
    qint64 nextChange(const QString &encoder, qint64 at) const;

    // What goes on air for the encoder from `from` (first, what is on air then) until `to`:
    // one entry each time that changes.
    struct Change
    {
        qint64 at;
        OnAir onAir;
    };
    QList<Change> changes(const QString &encoder, qint64 from, qint64 to) const;
    // The first change after at, within a week; at Never when there is none.
    Change nextAfter(const QString &encoder, qint64 at) const;

    // Moves the starts from `from` to the end of that local day by `by` milliseconds.
    void addShift(qint64 from, qint64 by);

    const QList<ScheduleEvent> &events() const { return m_events; }
    const QTimeZone &zone() const { return m_zone; }

    // The moment a local date and time happen: on a fall-back day the first of the two, on a
    // spring-forward day a time inside the gap happens when the gap ends.
    static qint64 momentOf(const QDate &date, const QTime &time, const QTimeZone &zone);

private:
    struct Occurrence
    {
        qint64 start;
        qint64 end;
        int event;
    };
    struct Window
    {
        qint64 from = 0;
        qint64 to = 0;
        QVector<Occurrence> occurrences; // by start, then file order
    };
    struct Shift
    {
        qint64 from;
        qint64 until;
        qint64 by;
    };
    const Window &window(const QString &encoder, qint64 at) const;
    int defaultFor(const QString &encoder) const;

    QList<ScheduleEvent> m_events;
    QTimeZone m_zone;
    QList<Shift> m_shifts;
    mutable QHash<QString, Window> m_windows;
};
