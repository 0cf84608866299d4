#pragma once
// A playback device that reads a file itself and answers status queries, with the command
// semantics the WAV and MIDI plug-ins were written against: open with the file as element, time
// format milliseconds, status of length, position, mode and the wave format, play from the current
// position without waiting, pause, seek (which stops), close. A command that fails closes the
// device and keeps its error; later commands then fail as well.
//
// Playing runs on a feeder thread of the device that decodes into the sound output; the position
// comes from the frames the output has taken. Every command is answered at once.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "common/playback/DeviceError.h"
#include "common/playback/PcmDecoder.h"
#include "common/playback/PcmOutput.h"

namespace zanto::playback {

enum class Mode : int32_t { Stop = 0, Play = 1, Pause = 2 };

enum class StatusItem {
    Length,          // ms
    Position,        // ms
    Mode,            // a Mode value
    FormatTag,       // the wave format fields (devices of sampled sound only)
    Channels,
    SamplesPerSec,
    AvgBytesPerSec,
    BlockAlign,
    BitsPerSample,
};

enum class TimeFormat { Milliseconds, Frames };

// Opens the decoder for an element; null with *error (a DeviceError) when it cannot.
using DecoderFactory =
    std::function<std::unique_ptr<PcmDecoder>(const std::string& element, int32_t* error)>;

// One kind of device: its name and how it reads its files.
struct DeviceType {
    std::string name;             // "waveaudio", "sequencer"
    bool hasWaveFormat = false;   // answers the wave format status items
    DecoderFactory openDecoder;
};

class PlaybackDevice {
public:
    explicit PlaybackDevice(OutputFactory openOutput);
    ~PlaybackDevice();
    PlaybackDevice(const PlaybackDevice&) = delete;
    PlaybackDevice& operator=(const PlaybackDevice&) = delete;

    int32_t Open(const DeviceType& type, const std::string& element);
    int32_t SetTimeFormat(TimeFormat format);
    int32_t Status(StatusItem item, uint32_t* value);
    // Plays from the current position and returns at once; resumes after Pause.
    int32_t Play();
    int32_t Pause();
    // Stops and moves to ms (a position beyond the end is taken as the end).
    int32_t Seek(uint32_t ms);
    int32_t Close();

    bool IsOpen();
    // The error of the most recent failed command; 0 before any failure.
    int32_t LastError();

private:
    int32_t Fail(std::unique_lock<std::mutex>& lock, int32_t error);
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    uint32_t PositionLocked();
    void FeedLoop();
    void Wake();

    OutputFactory openOutput_;
    std::mutex mutex_;  // everything below, decoder and output included
    std::unique_ptr<PcmDecoder> decoder_;
    std::unique_ptr<PcmOutput> output_;
    bool open_ = false;
    bool hasWaveFormat_ = false;
    bool endOfInput_ = false;
    Mode mode_ = Mode::Stop;
    uint32_t length_ = 0;
    uint32_t base_ = 0;  // position at which the output's frame count started
    int32_t lastError_ = kDeviceOk;
    std::thread feeder_;

    // The feeder sleeps here; the output's progress calls wake it without taking mutex_, which a
    // command may hold while it pauses the output.
    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool wake_ = false;
    bool quit_ = false;
};

}  // namespace zanto::playback
