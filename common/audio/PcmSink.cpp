#include "common/audio/PcmSink.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "common/audio/AudioDevice.h"

namespace zanto::audio {

namespace {

// Frames the device takes at a time. A sound card wants short periods (about 45 ms) so pause and
// seek answer at once; the file writer has no listener to keep waiting, and every period costs
// it a pause of its own, so it gets long ones.
int DevicePeriod(int rate) {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "disk") == 0) return 8192;
    return rate > 24000 ? 2048 : 1024;
}

}  // namespace

PcmSink::PcmSink(int rate, int channels, int period, ProgressListener onProgress)
    : rate_(rate), channels_(channels), onProgress_(std::move(onProgress)) {
    // Half a second of sound between the decoder and the device, and at least eight periods, so
    // the decoder seldom has to wait for the device to take one.
    size_t frames = static_cast<size_t>(std::max(rate / 2, 8 * period));
    periodSamples_ = static_cast<size_t>(period) * static_cast<size_t>(channels);
    ring_.resize(frames * static_cast<size_t>(channels));
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
    const int period = DevicePeriod(rate);
    std::unique_ptr<PcmSink> sink(new PcmSink(rate, channels, period, std::move(onProgress)));
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels);
    want.samples = static_cast<Uint16>(period);
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
    const size_t wanted = static_cast<size_t>(length) / sizeof(int16_t);
    size_t done = 0;
    bool roomForProducer;
    {
        // A whole period at a time: the producer is woken once per period, not once per chunk.
        std::unique_lock lock(mutex_);
        const size_t enough = std::min(wanted, ring_.size());
        dataReady_.wait(lock, [&] { return count_ >= enough || paused_ || closing_ || endOfInput_; });
        while (done < wanted && count_ > 0) {
            // Every count here is a whole number of frames.
            size_t n = std::min({wanted - done, count_, ring_.size() - head_});
            std::memcpy(out + done, ring_.data() + head_, n * sizeof(int16_t));
            head_ = (head_ + n) % ring_.size();
            count_ -= n;
            done += n;
        }
        played_ += done / static_cast<size_t>(channels_);
        // The producer refills in bursts once half the ring is free.
        roomForProducer = done > 0 && ring_.size() - count_ >= ring_.size() / 2;
    }
    std::memset(out + done, 0, (wanted - done) * sizeof(int16_t));
    if (roomForProducer && onProgress_) onProgress_();
}

size_t PcmSink::Space() {
    std::lock_guard lock(mutex_);
    return (ring_.size() - count_) / static_cast<size_t>(channels_);
}

size_t PcmSink::Write(const int16_t* samples, size_t frames) {
    size_t taken;
    bool wake;
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
        wake = taken > 0 && count_ >= periodSamples_;
    }
    if (wake) dataReady_.notify_all();
    return taken;
}

int16_t* PcmSink::Reserve(size_t maxFrames, size_t* frames) {
    std::lock_guard lock(mutex_);
    const size_t channels = static_cast<size_t>(channels_);
    size_t tail = (head_ + count_) % ring_.size();
    // The consumer never touches the free space, so it can be filled without the lock.
    size_t contiguous = count_ == ring_.size() ? 0 : tail >= head_ ? ring_.size() - tail : head_ - tail;
    *frames = std::min(contiguous / channels, maxFrames);
    return ring_.data() + tail;
}

void PcmSink::Commit(size_t frames) {
    bool wake;
    {
        std::lock_guard lock(mutex_);
        size_t n = std::min(frames * static_cast<size_t>(channels_), ring_.size() - count_);
        count_ += n;
        wake = n > 0 && count_ >= periodSamples_;
    }
    if (wake) dataReady_.notify_all();
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
