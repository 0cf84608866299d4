#pragma once
// One playing item's sound output: 16-bit interleaved PCM fed by a decoder thread through a ring
// buffer and pulled by the device. The play position comes from the frames the device has taken.
// While the ring is empty the device waits for data instead of playing silence, so a gap in the
// feed pauses the position too, and an output that does not pace (the disk writer) runs no faster
// than the decoder.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zanto::audio {

class PcmSink {
public:
    // Called on the device's thread whenever it has taken frames; keep it short.
    using ProgressListener = std::function<void()>;

    // Opens the default output device; null with *error set when it cannot be opened. The sink
    // starts paused.
    static std::unique_ptr<PcmSink> Open(int rate, int channels, ProgressListener onProgress,
                                         std::string* error);
    ~PcmSink();
    PcmSink(const PcmSink&) = delete;
    PcmSink& operator=(const PcmSink&) = delete;

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }

    // Frames that Write takes now.
    size_t Space();
    // Copies up to Space() frames of interleaved samples; returns the frames taken. Never blocks.
    size_t Write(const int16_t* samples, size_t frames);
    // Drops every queued frame (a seek or a stop).
    void Discard();
    // No more data is coming: the device plays out what is queued, then silence.
    void SetEndOfInput(bool end);
    // True when every queued frame has been taken by the device.
    bool Drained();
    void SetPaused(bool paused);
    // Frames taken by the device since Open or the last ResetPlayed.
    uint64_t FramesPlayed();
    void ResetPlayed();

private:
    PcmSink(int rate, int channels, ProgressListener onProgress);
    static void Callback(void* self, uint8_t* stream, int length);
    void Fill(uint8_t* stream, int length);

    int rate_;
    int channels_;
    ProgressListener onProgress_;
    uint32_t device_ = 0;
    std::mutex mutex_;
    std::condition_variable dataReady_;
    std::vector<int16_t> ring_;  // capacity in samples
    size_t head_ = 0;            // next sample to play
    size_t count_ = 0;           // queued samples
    bool paused_ = true;
    bool endOfInput_ = false;
    bool closing_ = false;
    uint64_t played_ = 0;
};

}  // namespace zanto::audio
