#pragma once
// A sound sink whose listener is the test: frames are "heard" only when the test consumes them,
// so positions and modes can be checked at exact points of play.
#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "common/cd/CDSoundSink.h"

namespace zanto::cd::testing {

class FakeSinkState {
public:
    explicit FakeSinkState(size_t capacityFrames) : capacity_(capacityFrames) {}

    CDSinkFactory Factory() {
        return [this](std::function<void()> onProgress,
                      std::string* error) -> std::unique_ptr<CDSoundSink> {
            std::lock_guard<std::mutex> lock(mutex_);
            if (failOpen_) {
                *error = "no output";
                return nullptr;
            }
            ++opened_;
            queue_.clear();
            played_ = 0;
            end_ = false;
            onProgress_ = std::move(onProgress);
            return std::make_unique<Sink>(this);
        };
    }

    // Hears up to frames queued frames; returns how many were heard.
    size_t Consume(size_t frames) {
        std::function<void()> notify;
        size_t n;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            n = std::min(frames, queue_.size() / 2);
            for (size_t i = 0; i < n * 2; ++i) {
                heard_.push_back(queue_.front());
                queue_.pop_front();
            }
            played_ += n;
            notify = onProgress_;
        }
        if (notify) notify();
        return n;
    }
    size_t QueuedFrames() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queue_.size() / 2;
    }
    bool EndOfInput() {
        std::lock_guard<std::mutex> lock(mutex_);
        return end_;
    }
    std::vector<int16_t> Heard() {
        std::lock_guard<std::mutex> lock(mutex_);
        return heard_;
    }
    int Opened() {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }
    void FailOpen(bool fail) {
        std::lock_guard<std::mutex> lock(mutex_);
        failOpen_ = fail;
    }

private:
    class Sink final : public CDSoundSink {
    public:
        explicit Sink(FakeSinkState* state) : s_(state) {}
        ~Sink() override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            s_->onProgress_ = nullptr;
        }
        size_t Space() override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            return s_->capacity_ - s_->queue_.size() / 2;
        }
        size_t Write(const int16_t* samples, size_t frames) override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            const size_t n = std::min(frames, s_->capacity_ - s_->queue_.size() / 2);
            s_->queue_.insert(s_->queue_.end(), samples, samples + n * 2);
            return n;
        }
        void SetEndOfInput(bool end) override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            s_->end_ = end;
        }
        bool Drained() override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            return s_->queue_.empty();
        }
        void SetPaused(bool) override {}
        uint64_t FramesPlayed() override {
            std::lock_guard<std::mutex> lock(s_->mutex_);
            return s_->played_;
        }

    private:
        FakeSinkState* s_;
    };

    std::mutex mutex_;
    size_t capacity_;
    std::deque<int16_t> queue_;
    std::vector<int16_t> heard_;
    uint64_t played_ = 0;
    bool end_ = false;
    bool failOpen_ = false;
    int opened_ = 0;
    std::function<void()> onProgress_;
};

}  // namespace zanto::cd::testing
