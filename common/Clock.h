#pragma once
// Time is injected: everything that sleeps, waits with a time-out or reads a clock takes a Clock,
// so tests drive the real protocol against the virtual player without waiting.
#include <chrono>
#include <cstdint>
#include <mutex>

namespace zanto {

class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary start.
    virtual Duration Now() = 0;
    virtual void Sleep(Duration d) = 0;
    // Calendar time in whole seconds since the epoch.
    virtual int64_t CalendarSeconds() = 0;

    // The process-wide real clock.
    static Clock& System();
};

class SystemClock final : public Clock {
public:
    Duration Now() override;
    void Sleep(Duration d) override;
    int64_t CalendarSeconds() override;
};

// A clock that only moves when slept on or advanced; sleeping returns at once.
class FakeClock final : public Clock {
public:
    explicit FakeClock(int64_t calendarSeconds = 946684800) : calendar_(calendarSeconds) {}
    Duration Now() override;
    void Sleep(Duration d) override;
    int64_t CalendarSeconds() override;
    void Advance(Duration d);
    void SetCalendarSeconds(int64_t s);
    Duration TotalSlept();

private:
    std::mutex mutex_;
    Duration now_{0};
    Duration slept_{0};
    int64_t calendar_;
};

}  // namespace zanto
