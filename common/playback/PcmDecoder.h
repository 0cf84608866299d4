#pragma once
// A source of 16-bit interleaved PCM for the playback device: a file format reader or a
// synthesizer. Only the device's feeder thread and its command calls touch a decoder, one at a
// time, so a decoder needs no lock of its own.
#include <cstddef>
#include <cstdint>

namespace zanto::playback {

// The format of the file as its device reports it (the wave status fields), which may differ from
// what Read delivers (8-bit data comes out as 16-bit).
struct SourceFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

class PcmDecoder {
public:
    virtual ~PcmDecoder() = default;
    virtual SourceFormat Format() const = 0;
    // What Read delivers: frames per second and samples per frame.
    virtual int OutputRate() const = 0;
    virtual int OutputChannels() const = 0;
    virtual uint32_t LengthMs() const = 0;
    // Fills up to frames frames of interleaved 16-bit samples; 0 at the end (or when the file can no
    // longer be read, which ends the item too).
    virtual size_t Read(int16_t* out, size_t frames) = 0;
    // The next Read starts at ms (at most the length).
    virtual bool Seek(uint32_t ms) = 0;
};

}  // namespace zanto::playback
