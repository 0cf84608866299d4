#pragma once
// Where the drive's digitally read audio goes: 16-bit interleaved stereo at 44100 Hz. The real
// one is the common sound output; tests hand in their own to see the samples and to decide how
// far the listener has heard.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zanto::cd {

inline constexpr int kCdRate = 44100;
inline constexpr int kCdChannels = 2;

class CDSoundSink {
public:
    virtual ~CDSoundSink() = default;
    // Frames that Write takes now.
    virtual size_t Space() = 0;
    // Copies up to Space() frames; returns the frames taken. Never blocks.
    virtual size_t Write(const int16_t* samples, size_t frames) = 0;
    // No more data comes: the output plays out what is queued.
    virtual void SetEndOfInput(bool end) = 0;
    // True when every queued frame has been heard.
    virtual bool Drained() = 0;
    virtual void SetPaused(bool paused) = 0;
    // Frames heard since the sink was opened.
    virtual uint64_t FramesPlayed() = 0;
};

// Opens a sink; onProgress is called (on any thread, briefly) whenever frames have been heard.
// Null with *error set when no output can be opened.
using CDSinkFactory = std::function<std::unique_ptr<CDSoundSink>(
    std::function<void()> onProgress, std::string* error)>;

// The common sound output (SDL); SDL_AUDIODRIVER=disk writes what is heard to a file.
CDSinkFactory DefaultSinkFactory();

}  // namespace zanto::cd
