#pragma once
// Where the playback device sends its samples: the common sound output in the plug-ins, a fake
// that the test drives in the device's tests. The operations are those of the sound output's sink.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zanto::playback {

class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    // Frames that Write takes now.
    virtual size_t Space() = 0;
    // Copies up to Space() frames; returns the frames taken. Never blocks.
    virtual size_t Write(const int16_t* samples, size_t frames) = 0;
    // Drops every queued frame.
    virtual void Discard() = 0;
    // No more data is coming: what is queued plays out.
    virtual void SetEndOfInput(bool end) = 0;
    // True when every queued frame has been taken by the output.
    virtual bool Drained() = 0;
    virtual void SetPaused(bool paused) = 0;
    // Frames taken since the output opened or the last ResetPlayed.
    virtual uint64_t FramesPlayed() = 0;
    virtual void ResetPlayed() = 0;
};

// Opens an output for rate and channels; onProgress is called (on the output's own thread)
// whenever the output has taken frames. Null with *error set when no output can be opened.
using OutputFactory = std::function<std::unique_ptr<PcmOutput>(
    int rate, int channels, std::function<void()> onProgress, std::string* error)>;

}  // namespace zanto::playback
