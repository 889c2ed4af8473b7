#pragma once

#include "core/schedule/ScheduleCalendar.h"
#include "core/transport/LineSettings.h"

#include <QJsonObject>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTimeZone>

#include <memory>
#include <optional>
#include <vector>

class Clock;
class LogFile;
class LoopClock;
class LoopTimer;
class ScheduleLink;

// Keeps a schedule's program data on air on every encoder of a plant until stopped. At start-up
// each encoder's link opens (ScheduleLink) and gets what is on air now, then every change at its
// moment by the wall clock over the link kept open, all in the one event loop, so that an
// encoder that does not answer never holds up the others. A link that fails is closed and tried
// again every 30 s, and once open again gets what is on air at that moment. The wall clock is read
// afresh at every wake-up (at least once a second, against a monotonic clock), so that a stepped
// system clock is noticed and what is on air worked out again. Each change and failure is reported
// as one line.
class ScheduleRunner : public QObject
{
    Q_OBJECT
public:
    struct Encoder
    {
        QString name;
        QString device;
        LineSettings line;
    };
    static constexpr int RetryMsecs = 30000;

    ScheduleRunner(const QList<Encoder> &encoders, const QTimeZone &zone,
                   QObject *parent = nullptr);
    ~ScheduleRunner() override;

    // Tests run the schedule in virtual time: the wall clock (nullptr: Clock::instance()), a
    // monotonic clock and the one wake-up timer. By default the system's clocks and a precise
    // timer.
    void setClocks(const Clock *wall, const LoopClock *steady, LoopTimer *timer);
    void setTrafficLog(LogFile *log);
    // Rewritten whole after every change; "" for none.
    void setStatusFile(const QString &path);

    // Takes a checked schedule; while running, what is on air is worked out again at once and
    // sent where it changed.
    void setSchedule(const QList<ScheduleEvent> &events);
    void start();
    // Starts nothing new; finished() once the commands in flight are done.
    void stop();

    // Keeps what is on air past its end until resume().
    void hold();
    // Back to the schedule; with shift the day's starts still to come move by the time held past
    // the first change the hold kept back.
    void resume(bool shift);
    // Puts the event on air on its encoders (all when it names none) until resume().
    void override(const ScheduleEvent &event);

    QStringList encoderNames() const;
    const ScheduleCalendar &calendar() const { return *m_calendar; }
    // What is on air per encoder and what comes next, one line each.
    QStringList statusLines() const;
    QJsonObject status() const;

signals:
    // One line on a change or a failure: time, encoder, event, result.
    void reported(const QString &line);
    void finished();

private:
    struct Station;
    struct Planned
    {
        ScheduleEvent event;
        QByteArray key; // the wire bytes and the occurrence: equal keys need no new send
        bool expired = false;
        bool none = true;
    };

    void wake();
    void armTimer();
    Planned planned(const Station &station, qint64 now) const;
    void send(Station &station);
    void linkSent(Station &station);
    void linkFailed(Station &station, bool sending);
    // The log and the status file brought up to date; when stopping, finished() once all are done.
    void sendEnded();
    void writeStatus();
    void report(const QString &encoder, const QString &text, qint64 at = -1);
    QString timeText(qint64 moment) const;
    qint64 wallNow() const;

    std::vector<std::unique_ptr<Station>> m_stations;
    std::unique_ptr<ScheduleCalendar> m_calendar;
    QTimeZone m_zone;
    const Clock *m_wall = nullptr;
    const LoopClock *m_steady = nullptr;
    LoopTimer *m_timer = nullptr;
    std::unique_ptr<LoopClock> m_ownSteady;
    std::unique_ptr<LoopTimer> m_ownTimer;
    LogFile *m_log = nullptr;
    QString m_statusPath;
    qint64 m_clockOffset = 0; // wall minus monotonic at the last wake-up
    qint64 m_tickedAt = 0;    // monotonic: the links' last one-second step
    bool m_running = false;
    bool m_stopping = false;
    QList<QPair<qint64, qint64>> m_shifts; // from, by: kept across reloads
    std::optional<qint64> m_heldSince;
    std::optional<ScheduleEvent> m_override;
    qint64 m_overrideSince = 0;
};
