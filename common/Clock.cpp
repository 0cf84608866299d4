#include "common/Clock.h"

#include <thread>

namespace zanto {

Clock& Clock::System() {
    static SystemClock clock;
    return clock;
}

Clock::Duration SystemClock::Now() {
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::Sleep(Duration d) {
    if (d > Duration::zero()) std::this_thread::sleep_for(d);
}

int64_t SystemClock::CalendarSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Clock::Duration FakeClock::Now() {
    std::lock_guard lock(mutex_);
    return now_;
}

void FakeClock::Sleep(Duration d) {
    std::lock_guard lock(mutex_);
    if (d > Duration::zero()) {
        now_ += d;
        slept_ += d;
    }
}

int64_t FakeClock::CalendarSeconds() {
    std::lock_guard lock(mutex_);
    return calendar_ + std::chrono::duration_cast<std::chrono::seconds>(now_).count();
}

void FakeClock::Advance(Duration d) {
    std::lock_guard lock(mutex_);
    now_ += d;
}

void FakeClock::SetCalendarSeconds(int64_t s) {
    std::lock_guard lock(mutex_);
    calendar_ = s;
}

Clock::Duration FakeClock::TotalSlept() {
    std::lock_guard lock(mutex_);
    return slept_;
}

}  // namespace zanto
