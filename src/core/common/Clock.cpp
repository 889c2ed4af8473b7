#include "core/common/Clock.h"

namespace {
const Clock *g_clock = nullptr;
const Clock g_systemClock;
} // namespace

const Clock &Clock::instance()
{
    return g_clock ? *g_clock : g_systemClock;
}

void Clock::setInstance(const Clock *clock)
{
    g_clock = clock;
}
