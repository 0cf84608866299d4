#pragma once
// The drive lock "MxAudio": one owner of the CD drive at a time across threads, objects and
// processes. It is an exclusive flock on the file "MxAudio" in the user's runtime folder, taken
// through a descriptor of this object's own, so two objects of one process exclude each other as
// two processes do, and the kernel releases it when its owner process dies.
#include <cstdint>
#include <functional>
#include <string>

#include "common/Clock.h"

namespace zanto::cd {

class DriveLock {
public:
    // Waits on an unlimited Acquire are taken in steps of this length; limited ones in 1 ms steps.
    static constexpr int kUnlimitedStepMs = 10;

    explicit DriveLock(Clock& clock, std::string path = DefaultPath());
    ~DriveLock();
    DriveLock(const DriveLock&) = delete;
    DriveLock& operator=(const DriveLock&) = delete;

    // Waits up to waitMs (-1: no limit) for the lock; true when this object owns it (also when it
    // already did). giveUp, when given, is asked between tries and ends the wait with false.
    bool Acquire(int32_t waitMs, const std::function<bool()>& giveUp = {});
    void Release();
    bool Held() const { return fd_ >= 0; }

    static std::string DefaultPath();

private:
    Clock& clock_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace zanto::cd
