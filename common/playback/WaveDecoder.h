#pragma once
// Our RIFF WAVE reader: uncompressed PCM, 8 or 16 bits, one or two channels. It reads the file
// itself, as the device it serves did.
#include <memory>
#include <string>

#include "common/playback/PcmDecoder.h"

namespace zanto::playback {

class WaveDecoder final : public PcmDecoder {
public:
    // Null with *error (a DeviceError) when the file cannot be opened or is not PCM WAVE.
    static std::unique_ptr<PcmDecoder> Open(const std::string& path, int32_t* error);
    ~WaveDecoder() override;

    SourceFormat Format() const override { return format_; }
    int OutputRate() const override { return static_cast<int>(format_.samplesPerSec); }
    int OutputChannels() const override { return format_.channels; }
    uint32_t LengthMs() const override;
    size_t Read(int16_t* out, size_t frames) override;
    bool Seek(uint32_t ms) override;

private:
    WaveDecoder() = default;
    int fd_ = -1;
    SourceFormat format_;
    uint64_t dataOffset_ = 0;
    uint64_t frames_ = 0;      // whole frames present in the file
    uint64_t next_ = 0;        // the frame the next Read starts at
    unsigned frameBytes_ = 0;  // bytes of one frame in the file
};

}  // namespace zanto::playback
