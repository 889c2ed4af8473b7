#pragma once

#include "core/looping/CaptionLoopFile.h"
#include "core/protocol/CtrlACommand.h"

#include <QObject>
#include <QStringList>

class CaptionLoopLink;
class LoopClock;
class LoopTimer;

// Sends the captions of a loop file to one caption channel, one command per line: the line
// delay after each line, the loop delay after the last line of a pass, and at least 5000 ms
// while the link is still busy with earlier commands or a reply. A transaction is started only
// when no reply is awaited, and nothing is queued while the link reports a failure. Each tick is
// scheduled from the time the previous one was due, so late ticks do not add up. A timed loop
// counts down on the caller's one-second tick. The scheduler stops its timer before it reports an
// end.
class CaptionLoopScheduler : public QObject
{
    Q_OBJECT
public:
    static constexpr int Continuous = -1;
    static constexpr int BusyIntervalMs = 5000;

    // timer, clock and link stay the caller's and must outlive the scheduler.
    CaptionLoopScheduler(LoopTimer *timer, const LoopClock *clock, CaptionLoopLink *link,
                         QObject *parent = nullptr);
    ~CaptionLoopScheduler() override;

    // Starts looping lines (an empty list counts as one empty caption) with the given delays
    // and channel for secondsLeft seconds, or Continuous; the first line goes out at once.
    void start(const QStringList &lines, const CaptionLoopFile::Settings &settings,
               int secondsLeft);
    // Stops the timer; commands already queued are still sent.
    void stop();
    bool isRunning() const;

    // The loop timer's tick: queues the next line and sets the time of the next tick.
    void tick();
    // The one-second tick: counts a timed loop down, and ends it at 0.
    void secondTick();

    int secondsLeft() const { return m_secondsLeft; }
    int interval() const { return m_interval; } // chosen by the last tick, in ms

    // The command that sends one caption line on channel 1..4.
    static CtrlACommand lineCommand(const QString &line, int channel);

signals:
    void lineQueued(const QString &line);
    void timeLeftChanged(const QString &clockText);
    void completed();
    void connectionLost();

private:
    void scheduleNext(int interval);

    LoopTimer *m_timer;
    const LoopClock *m_clock;
    CaptionLoopLink *m_link;
    QStringList m_lines;
    CaptionLoopFile::Settings m_settings;
    int m_lineIndex = 0;
    int m_secondsLeft = 0;
    int m_interval = 0;
    qint64 m_due = 0; // when the pending tick is due, on the clock
};
