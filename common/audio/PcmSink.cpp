#include "common/audio/PcmSink.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "common/audio/AudioDevice.h"

namespace zanto::audio {

PcmSink::PcmSink(int rate, int channels, ProgressListener onProgress)
    : rate_(rate), channels_(channels), onProgress_(std::move(onProgress)) {
    // Half a second of sound between the decoder and the device.
    ring_.resize(static_cast<size_t>(std::max(rate / 2, 4096)) * static_cast<size_t>(channels));
}

std::unique_ptr<PcmSink> PcmSink::Open(int rate, int channels, ProgressListener onProgress,
                                       std::string* error) {
    if (rate <= 0 || channels < 1 || channels > 8) {
        if (error) *error = "unsupported sound format";
        return nullptr;
    }
    if (!AcquireSubsystem()) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<PcmSink> sink(new PcmSink(rate, channels, std::move(onProgress)));
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels);
    want.samples = rate > 24000 ? 2048 : 1024;
    want.callback = &PcmSink::Callback;
    want.userdata = sink.get();
    sink->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (sink->device_ == 0) {
        if (error) *error = SDL_GetError();
        sink.reset();
        ReleaseSubsystem();
        return nullptr;
    }
    return sink;
}

PcmSink::~PcmSink() {
    if (device_ == 0) return;
    {
        // Release a device thread that waits for data before closing joins it.
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    dataReady_.notify_all();
    SDL_CloseAudioDevice(device_);
    ReleaseSubsystem();
}

void PcmSink::Callback(void* self, uint8_t* stream, int length) {
    static_cast<PcmSink*>(self)->Fill(stream, length);
}

void PcmSink::Fill(uint8_t* stream, int length) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    size_t wanted = static_cast<size_t>(length) / sizeof(int16_t);
    size_t done = 0;
    bool reported = true;
    {
        std::unique_lock lock(mutex_);
        while (done < wanted) {
            if (count_ == 0) {
                if (paused_ || closing_ || endOfInput_) break;
                if (!reported && onProgress_) {
                    // Tell the producer there is room before waiting for it.
                    reported = true;
                    lock.unlock();
                    onProgress_();
                    lock.lock();
                    continue;
                }
                dataReady_.wait(lock);
                continue;
            }
            // Every count here is a whole number of frames.
            size_t n = std::min({wanted - done, count_, ring_.size() - head_});
            std::memcpy(out + done, ring_.data() + head_, n * sizeof(int16_t));
            head_ = (head_ + n) % ring_.size();
            count_ -= n;
            done += n;
            played_ += n / static_cast<size_t>(channels_);
            reported = false;
        }
    }
    std::memset(out + done, 0, (wanted - done) * sizeof(int16_t));
    if (!reported && onProgress_) onProgress_();
}

size_t PcmSink::Space() {
    std::lock_guard lock(mutex_);
    return (ring_.size() - count_) / static_cast<size_t>(channels_);
}

size_t PcmSink::Write(const int16_t* samples, size_t frames) {
    size_t taken;
    {
        std::lock_guard lock(mutex_);
        size_t free = ring_.size() - count_;
        size_t n = std::min(frames * static_cast<size_t>(channels_), free);
        n -= n % static_cast<size_t>(channels_);
        size_t tail = (head_ + count_) % ring_.size();
        size_t first = std::min(n, ring_.size() - tail);
        std::memcpy(ring_.data() + tail, samples, first * sizeof(int16_t));
        std::memcpy(ring_.data(), samples + first, (n - first) * sizeof(int16_t));
        count_ += n;
        taken = n / static_cast<size_t>(channels_);
    }
    if (taken > 0) dataReady_.notify_all();
    return taken;
}

void PcmSink::Discard() {
    std::lock_guard lock(mutex_);
    head_ = 0;
    count_ = 0;
}

void PcmSink::SetEndOfInput(bool end) {
    {
        std::lock_guard lock(mutex_);
        endOfInput_ = end;
    }
    dataReady_.notify_all();
}

bool PcmSink::Drained() {
    std::lock_guard lock(mutex_);
    return count_ == 0;
}

void PcmSink::SetPaused(bool paused) {
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    // The device lock is held while the callback runs; it returns at once now that paused_ is
    // set, so pausing the device cannot wait on a callback that waits for data.
    dataReady_.notify_all();
    SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

uint64_t PcmSink::FramesPlayed() {
    std::lock_guard lock(mutex_);
    return played_;
}

void PcmSink::ResetPlayed() {
    std::lock_guard lock(mutex_);
    played_ = 0;
}

}  // namespace zanto::audio
