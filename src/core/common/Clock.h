#pragma once

#include <QDateTime>

// The local wall clock. The window and the builders read time through it so that tests can
// set the date and time they need.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }

    // The clock in use; tests install their own (nullptr restores the system clock).
    static const Clock &instance();
    static void setInstance(const Clock *clock);
};
