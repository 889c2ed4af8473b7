#pragma once

#include "core/common/Clock.h"

// A clock that stands still at a chosen local time until moved. Installs itself on construction
// and restores the system clock on destruction.
class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime &at) : m_now(at) { Clock::setInstance(this); }
    ~FixedClock() override { Clock::setInstance(nullptr); }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &at) { m_now = at; }

private:
    QDateTime m_now;
};
