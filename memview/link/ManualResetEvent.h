#pragma once
// An event that stays set until reset: the cancel, done and ready signals between a device's
// transfer threads.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zanto {

class ManualResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    void Wait() const;
    // True when set within the time (real time: only used between threads that both run).
    bool WaitFor(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace zanto
