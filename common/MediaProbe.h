#pragma once
// The two media file probes: MPEG audio (first frame header, without decoding) and RIFF WAVE.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zanto {

// Random-access bytes to probe: a file, a plug-in stream or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at offset; returns how many were read (short at the end), -1 on error.
    virtual long ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
    virtual uint64_t Size() = 0;
    // min(Size(), cap); a source may answer it without learning the whole size.
    virtual uint64_t SizeUpTo(uint64_t cap) { return Size() < cap ? Size() : cap; }
};

// A file read through a window buffer, so a probe costs one or two system calls: the first window
// covers the whole sync search of most files, and tells the size of a short file.
class BufferedFileSource final : public ByteSource {
public:
    explicit BufferedFileSource(int fd, size_t window = 12288);
    long ReadAt(uint64_t offset, void* buffer, size_t n) override;
    uint64_t Size() override;
    uint64_t SizeUpTo(uint64_t cap) override;
    bool Failed() const { return failed_; }
    int Error() const { return error_; }

private:
    bool Fill(uint64_t offset);

    int fd_;
    int64_t size_ = -1;  // unknown until asked for or seen
    bool failed_ = false;
    int error_ = 0;
    std::unique_ptr<char[]> window_;  // left uninitialised: only read bytes are used
    size_t windowSize_;
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
