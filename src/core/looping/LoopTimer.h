#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>

// The loop timer as the caption loop needs it: one shot at a time, restarted by every tick.
// The program uses QtLoopTimer; tests drive a timer of their own in virtual time.
class LoopTimer
{
public:
    virtual ~LoopTimer() = default;
    virtual void start(int msec) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    std::function<void()> timeout;
};

// A monotonic clock in milliseconds, the reference the loop schedules its ticks against.
class LoopClock
{
public:
    virtual ~LoopClock() = default;
    virtual qint64 msecs() const = 0;
};

// LoopTimer over a precise single-shot QTimer owned by parent and named objectName, so that
// the window's other parts can find it and see whether the loop runs.
class QtLoopTimer : public LoopTimer
{
public:
    QtLoopTimer(QObject *parent, const QString &objectName);
    ~QtLoopTimer() override;
    void start(int msec) override;
    void stop() override;
    bool isActive() const override;
    QTimer *timer() const { return m_timer; }

private:
    QPointer<QTimer> m_timer;
};

// LoopClock over the system's monotonic clock.
class SteadyLoopClock : public LoopClock
{
public:
    qint64 msecs() const override;
};
