#include "common/playback/PlaybackDevice.h"

#include <algorithm>
#include <vector>

namespace zanto::playback {

namespace {
// Frames decoded per turn of the feeder; the lock is let go between turns so commands wait for at
// most one of them.
constexpr size_t kChunkFrames = 2048;
}  // namespace

PlaybackDevice::PlaybackDevice(OutputFactory openOutput) : openOutput_(std::move(openOutput)) {}

PlaybackDevice::~PlaybackDevice() { Close(); }

bool PlaybackDevice::IsOpen() {
    std::lock_guard lock(mutex_);
    return open_;
}

int32_t PlaybackDevice::LastError() {
    std::lock_guard lock(mutex_);
    return lastError_;
}

int32_t PlaybackDevice::Fail(std::unique_lock<std::mutex>& lock, int32_t error) {
    lastError_ = error;
    CloseLocked(lock);
    return error;
}

void PlaybackDevice::CloseLocked(std::unique_lock<std::mutex>& lock) {
    open_ = false;
    mode_ = Mode::Stop;
    std::unique_ptr<PcmOutput> output = std::move(output_);
    std::unique_ptr<PcmDecoder> decoder = std::move(decoder_);
    std::thread feeder = std::move(feeder_);
    lock.unlock();
    if (feeder.joinable()) {
        {
            std::lock_guard w(wakeMutex_);
            quit_ = true;
        }
        wakeCv_.notify_all();
        feeder.join();
    }
    // The output goes first: its thread may still call Wake until it is closed.
    output.reset();
    decoder.reset();
    lock.lock();
}

int32_t PlaybackDevice::Open(const DeviceType& type, const std::string& element) {
    std::unique_lock lock(mutex_);
    if (open_) return Fail(lock, kDeviceAlreadyOpen);
    int32_t error = kDeviceOk;
    std::unique_ptr<PcmDecoder> decoder =
        type.openDecoder ? type.openDecoder(element, &error) : nullptr;
    if (!decoder) return Fail(lock, error != kDeviceOk ? error : kDeviceInvalidFile);
    decoder_ = std::move(decoder);
    hasWaveFormat_ = type.hasWaveFormat;
    length_ = decoder_->LengthMs();
    base_ = 0;
    endOfInput_ = false;
    mode_ = Mode::Stop;
    open_ = true;
    {
        std::lock_guard w(wakeMutex_);
        quit_ = false;
        wake_ = false;
    }
    feeder_ = std::thread([this] { FeedLoop(); });
    return kDeviceOk;
}

int32_t PlaybackDevice::SetTimeFormat(TimeFormat format) {
    std::unique_lock lock(mutex_);
    if (!open_) return Fail(lock, kDeviceNotOpen);
    if (format != TimeFormat::Milliseconds) return Fail(lock, kDeviceUnsupportedItem);
    return kDeviceOk;
}

uint32_t PlaybackDevice::PositionLocked() {
    if (mode_ == Mode::Stop || !output_) return base_;
    const auto rate = static_cast<uint64_t>(decoder_->OutputRate());
    uint64_t pos = base_ + output_->FramesPlayed() * 1000 / rate;
    return static_cast<uint32_t>(std::min<uint64_t>(pos, length_));
}

int32_t PlaybackDevice::Status(StatusItem item, uint32_t* value) {
    std::unique_lock lock(mutex_);
    if (!open_) return Fail(lock, kDeviceNotOpen);
    const SourceFormat f = decoder_->Format();
    if (!hasWaveFormat_ && item != StatusItem::Length && item != StatusItem::Position &&
        item != StatusItem::Mode)
        return Fail(lock, kDeviceUnsupportedItem);
    switch (item) {
        case StatusItem::Length: *value = length_; break;
        case StatusItem::Position: *value = PositionLocked(); break;
        case StatusItem::Mode: *value = static_cast<uint32_t>(mode_); break;
        case StatusItem::FormatTag: *value = f.formatTag; break;
        case StatusItem::Channels: *value = f.channels; break;
        case StatusItem::SamplesPerSec: *value = f.samplesPerSec; break;
        case StatusItem::AvgBytesPerSec: *value = f.avgBytesPerSec; break;
        case StatusItem::BlockAlign: *value = f.blockAlign; break;
        case StatusItem::BitsPerSample: *value = f.bitsPerSample; break;
    }
    return kDeviceOk;
}

int32_t PlaybackDevice::Play() {
    std::unique_lock lock(mutex_);
    if (!open_) return Fail(lock, kDeviceNotOpen);
    if (mode_ == Mode::Play) return kDeviceOk;
    if (!output_) {
        std::string why;
        output_ = openOutput_ ? openOutput_(decoder_->OutputRate(), decoder_->OutputChannels(),
                                            [this] { Wake(); }, &why)
                              : nullptr;
        if (!output_) return Fail(lock, kDeviceOutputUnavailable);
    }
    mode_ = Mode::Play;
    output_->SetPaused(false);
    lock.unlock();
    Wake();
    return kDeviceOk;
}

int32_t PlaybackDevice::Pause() {
    std::unique_lock lock(mutex_);
    if (!open_) return Fail(lock, kDeviceNotOpen);
    if (mode_ != Mode::Play) return kDeviceOk;
    mode_ = Mode::Pause;
    output_->SetPaused(true);
    return kDeviceOk;
}

int32_t PlaybackDevice::Seek(uint32_t ms) {
    std::unique_lock lock(mutex_);
    if (!open_) return Fail(lock, kDeviceNotOpen);
    mode_ = Mode::Stop;
    base_ = std::min(ms, length_);
    if (output_) {
        output_->SetPaused(true);
        output_->Discard();
        output_->ResetPlayed();
        output_->SetEndOfInput(false);
    }
    endOfInput_ = false;
    if (!decoder_->Seek(base_)) return Fail(lock, kDeviceCannotRead);
    return kDeviceOk;
}

int32_t PlaybackDevice::Close() {
    std::unique_lock lock(mutex_);
    if (!open_) return kDeviceNotOpen;
    CloseLocked(lock);
    return kDeviceOk;
}

void PlaybackDevice::Wake() {
    {
        std::lock_guard w(wakeMutex_);
        wake_ = true;
    }
    wakeCv_.notify_all();
}

void PlaybackDevice::FeedLoop() {
    std::vector<int16_t> buffer;
    for (;;) {
        {
            std::unique_lock w(wakeMutex_);
            wakeCv_.wait(w, [this] { return wake_ || quit_; });
            if (quit_) return;
            wake_ = false;
        }
        for (;;) {
            std::lock_guard lock(mutex_);
            if (mode_ != Mode::Play || !output_) break;
            if (!endOfInput_) {
                size_t space = output_->Space();
                if (space > 0) {
                    size_t want = std::min(space, kChunkFrames);
                    buffer.resize(want * static_cast<size_t>(decoder_->OutputChannels()));
                    size_t got = decoder_->Read(buffer.data(), want);
                    if (got > 0) {
                        output_->Write(buffer.data(), got);
                        continue;  // let a waiting command in, then fill on
                    }
                    endOfInput_ = true;
                    output_->SetEndOfInput(true);
                }
            }
            if (endOfInput_ && output_->Drained()) {
                // Everything has been handed to the output: the item has ended at its length.
                mode_ = Mode::Stop;
                base_ = length_;
                output_->SetPaused(true);
                output_->ResetPlayed();
            }
            break;
        }
    }
}

}  // namespace zanto::playback
