#pragma once
// A sound output that plays only when the test says so: Consume takes frames as a device would
// and calls the progress listener, so a test steps a playback device through its item.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "common/playback/PcmOutput.h"

namespace zanto::testkit {

class FakePcmOutput final : public playback::PcmOutput {
public:
    FakePcmOutput(int rate, int channels, size_t capacityFrames, std::function<void()> onProgress)
        : rate(rate), channels(channels), capacity_(capacityFrames), onProgress_(std::move(onProgress)) {}

    const int rate;
    const int channels;

    size_t Space() override {
        std::lock_guard lock(mutex_);
        return capacity_ - queue_.size() / channels;
    }
    size_t Write(const int16_t* samples, size_t frames) override {
        std::lock_guard lock(mutex_);
        size_t n = std::min(frames, capacity_ - queue_.size() / channels);
        queue_.insert(queue_.end(), samples, samples + n * channels);
        return n;
    }
    void Discard() override {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }
    void SetEndOfInput(bool end) override {
        std::lock_guard lock(mutex_);
        end_ = end;
    }
    bool Drained() override {
        std::lock_guard lock(mutex_);
        return queue_.empty();
    }
    void SetPaused(bool paused) override {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    uint64_t FramesPlayed() override {
        std::lock_guard lock(mutex_);
        return played_;
    }
    void ResetPlayed() override {
        std::lock_guard lock(mutex_);
        played_ = 0;
    }

    // Takes up to frames queued frames unless paused; returns how many were taken.
    size_t Consume(size_t frames) {
        size_t n;
        {
            std::lock_guard lock(mutex_);
            if (paused_) return 0;
            n = std::min(frames, queue_.size() / channels);
            heard_.insert(heard_.end(), queue_.begin(), queue_.begin() + n * channels);
            queue_.erase(queue_.begin(), queue_.begin() + n * channels);
            played_ += n;
        }
        if (n > 0 && onProgress_) onProgress_();
        return n;
    }
    size_t Queued() {
        std::lock_guard lock(mutex_);
        return queue_.size() / channels;
    }
    bool Paused() {
        std::lock_guard lock(mutex_);
        return paused_;
    }
    bool EndOfInput() {
        std::lock_guard lock(mutex_);
        return end_;
    }
    // Every sample taken so far.
    std::vector<int16_t> Heard() {
        std::lock_guard lock(mutex_);
        return heard_;
    }

private:
    std::mutex mutex_;
    size_t capacity_;
    std::function<void()> onProgress_;
    std::deque<int16_t> queue_;
    std::vector<int16_t> heard_;
    bool paused_ = true;
    bool end_ = false;
    uint64_t played_ = 0;
};

}  // namespace zanto::testkit
