#include "clock.h"

namespace {
const SystemClock s_systemClock;
const Clock *s_sharedClock = &s_systemClock;
}

Instant SystemClock::now() const
{
    return Instant::fromMSecsSinceEpoch(QDateTime::currentMSecsSinceEpoch());
}

const Clock &Clock::shared()
{
    return *s_sharedClock;
}

void Clock::setShared(const Clock *clock)
{
    s_sharedClock = clock ? clock : &s_systemClock;
}
