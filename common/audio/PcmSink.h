#pragma once
// One playing item's sound output: 16-bit interleaved PCM fed by a decoder thread through a ring
// buffer and pulled by the device. The play position comes from the frames the device has taken.
// While the ring holds less than a period the device waits for data instead of playing silence,
// so a gap in the feed holds the position too, and an output that does not pace (the disk
// writer) runs as fast as the decoder and no faster. The producer is told of progress only once
// half the ring is free, so it works in bursts.
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
    // Called on the device's thread when it has taken frames and half the ring is free; keep it
    // short.
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
    // Zero-copy writing for a producer that decodes in place: Reserve gives the contiguous free
    // space (up to maxFrames; 0 when full), Commit queues the first frames of it. Only the one
    // producer thread may use them, and nothing else may write in between.
    int16_t* Reserve(size_t maxFrames, size_t* frames);
    void Commit(size_t frames);
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
    PcmSink(int rate, int channels, int period, ProgressListener onProgress);
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
    size_t periodSamples_ = 0;   // what the device takes at a time
    bool paused_ = true;
    bool endOfInput_ = false;
    bool closing_ = false;
    uint64_t played_ = 0;
};

}  // namespace zanto::audio
