#pragma once
// The two media file probes: MPEG audio (first frame header, without decoding) and RIFF WAVE.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zanto {

// Random-access bytes to probe: a file, a plug-in stream or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at offset; returns how many were read (short at the end), -1 on error.
    virtual long ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
    virtual uint64_t Size() = 0;
};

// A file read through a window buffer, so a probe costs a few system calls.
class BufferedFileSource final : public ByteSource {
public:
    explicit BufferedFileSource(int fd, size_t window = 16384);
    long ReadAt(uint64_t offset, void* buffer, size_t n) override;
    uint64_t Size() override { return size_; }
    bool Failed() const { return failed_; }

private:
    int fd_;
    uint64_t size_ = 0;
    bool failed_ = false;
    std::string window_;
    uint64_t windowStart_ = 0;
    size_t windowLength_ = 0;
};

// Bytes held in memory.
class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    long ReadAt(uint64_t offset, void* buffer, size_t n) override;
    uint64_t Size() override { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint64_t dataOffset = 0;  // the first byte of the "data" chunk
    uint32_t dataSize = 0;
};

// RIFF WAVE probe: accepted when the form is "WAVE" with "fmt " and "data" chunks, the format tag
// equals expectedTag and there are one or two channels. The format is filled as far as it was read.
bool ProbeRiffWave(ByteSource& source, uint16_t expectedTag, WaveFormat* format = nullptr);

// MPEG frame probe: the first frame header found, valid (top twelve bits set) when the data is
// MPEG audio; 0 or a value without sync otherwise.
uint32_t ProbeMpegFrame(ByteSource& source);
uint32_t ProbeMpegFile(const std::string& path);

// Distinguishes "not MPEG" from "could not read" for callers that report the reason.
struct ProbeResult {
    uint32_t header = 0;
    int error = 0;  // errno of the failed open or read, 0 when the file was read
};
ProbeResult ProbeMpegFileDetailed(const std::string& path);

}  // namespace zanto
