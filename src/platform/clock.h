#pragma once

#include "instant.h"

// The one source of the current time. Production code asks the shared clock; tests pin it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;

    // The clock the application uses; the system clock unless a test installed another.
    static const Clock &shared();
    static void setShared(const Clock *clock); // nullptr restores the system clock
};

class SystemClock final : public Clock
{
public:
    Instant now() const override;
};

// A clock that stands still until moved; for tests.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(Instant now) : m_now(now) {}
    Instant now() const override { return m_now; }
    void set(Instant now) { m_now = now; }
    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }

private:
    Instant m_now;
};
