#include "common/MediaProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/MpegHeader.h"

namespace zanto {

BufferedFileSource::BufferedFileSource(int fd, size_t window)
    : fd_(fd), window_(new char[window]), windowSize_(window) {}

bool BufferedFileSource::Fill(uint64_t offset) {
    ssize_t got;
    do {
        got = pread(fd_, window_.get(), windowSize_, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        failed_ = true;
        error_ = errno;
        return false;
    }
    windowStart_ = offset;
    windowLength_ = static_cast<size_t>(got);
    // A short read from the start is the end of the file.
    if (windowLength_ < windowSize_ && size_ < 0) size_ = static_cast<int64_t>(offset + windowLength_);
    return true;
}

uint64_t BufferedFileSource::Size() {
    if (size_ < 0 && !failed_) {
        struct stat st {};
        if (fstat(fd_, &st) != 0) {
            failed_ = true;
            error_ = errno;
        }
        size_ = st.st_size;
    }
    return size_ < 0 ? 0 : static_cast<uint64_t>(size_);
}

uint64_t BufferedFileSource::SizeUpTo(uint64_t cap) {
    // A full first window already proves the file is at least that long.
    if (size_ < 0 && windowStart_ == 0 && windowLength_ == windowSize_ && windowLength_ >= cap)
        return cap;
    uint64_t size = Size();
    return size < cap ? size : cap;
}

long BufferedFileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (failed_) return -1;
    if (n == 0) return 0;
    if (n > windowSize_) {
        ssize_t got = pread(fd_, buffer, n, static_cast<off_t>(offset));
        if (got < 0) {
            failed_ = true;
            error_ = errno;
        }
        return got < 0 ? -1 : static_cast<long>(got);
    }
    if (offset < windowStart_ || offset + n > windowStart_ + windowLength_) {
        // Refill from the request on: the sync search and the frame chain walk forward.
        if (!Fill(offset)) return -1;
    }
    if (offset >= windowStart_ + windowLength_) return 0;
    size_t avail = static_cast<size_t>(std::min<uint64_t>(n, windowStart_ + windowLength_ - offset));
    std::memcpy(buffer, window_.get() + (offset - windowStart_), avail);
    return static_cast<long>(avail);
}

long MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (offset >= size_) return 0;
    size_t avail = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    std::memcpy(buffer, data_ + offset, avail);
    return static_cast<long>(avail);
}

namespace {

bool ReadExact(ByteSource& s, uint64_t offset, void* buffer, size_t n) {
    return s.ReadAt(offset, buffer, n) == static_cast<long>(n);
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Walks 8-byte chunk headers from pos until one named id; pos is then after that header. False
// when the walk reaches end first or a read fails.
bool FindChunk(ByteSource& s, uint64_t& pos, uint64_t end, const char* id, uint32_t& size) {
    for (;;) {
        uint8_t header[8];
        if (!ReadExact(s, pos, header, 8)) return false;
        pos += 8;
        size = Le32(header + 4);
        if (std::memcmp(header, id, 4) == 0) return true;
        if (pos >= end) return false;
        pos += size;
    }
}

// The header at offset, or 0 when fewer than four bytes are there.
uint32_t HeaderAt(ByteSource& s, uint64_t offset) {
    uint8_t b[4];
    if (!ReadExact(s, offset, b, 4)) return 0;
    return uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

// Two 0xFF bytes in a row are filler, not a frame start.
uint32_t UnlessFiller(uint32_t h) { return (h & 0xFFFF0000u) == 0xFFFF0000u ? 0 : h; }

}  // namespace

bool ProbeRiffWave(ByteSource& s, uint16_t expectedTag, WaveFormat* out) {
    WaveFormat f;
    uint8_t head[8];
    if (!ReadExact(s, 0, head, 8) || std::memcmp(head, "RIFF", 4) != 0) return false;
    const uint64_t end = uint64_t(Le32(head + 4)) + 8;

    uint64_t pos = 8;
    bool wave = false;
    while (pos < end) {
        if (!ReadExact(s, pos, head, 8)) return false;
        if (std::memcmp(head, "WAVE", 4) == 0) {
            wave = true;
            pos += 4;
            break;
        }
        pos += 8 + uint64_t(Le32(head + 4));
    }
    if (!wave) return false;

    uint32_t size = 0;
    if (!FindChunk(s, pos, end, "fmt ", size)) return false;
    uint8_t fmt[16] = {};
    const uint32_t take = std::min<uint32_t>(size, 16);
    if (!ReadExact(s, pos, fmt, take)) return false;
    f.formatTag = Le16(fmt);
    f.channels = Le16(fmt + 2);
    f.samplesPerSec = Le32(fmt + 4);
    f.avgBytesPerSec = Le32(fmt + 8);
    f.blockAlign = Le16(fmt + 12);
    f.bitsPerSample = Le16(fmt + 14);
    pos += size;  // the first min(size, 16) bytes and the rest of the chunk

    bool found = FindChunk(s, pos, end, "data", size);
    if (found) {
        f.dataOffset = pos;
        f.dataSize = size;
    }
    if (out) *out = f;
    return found && f.formatTag == expectedTag && (f.channels == 1 || f.channels == 2);
}

uint32_t ProbeMpegFrame(ByteSource& s) {
    constexpr uint64_t kSearchLimit = 10240;
    uint64_t start = 0;
    uint8_t id3[10];
    const bool tagged = ReadExact(s, 0, id3, 10) && std::memcmp(id3, "ID3", 3) == 0;
    // Asked after the first read, which tells a file source most of what it needs to know.
    const uint64_t limit = s.SizeUpTo(kSearchLimit);
    if (limit < 4) return 0;
    if (tagged) {
        // Each byte is taken whole, as the player's own reader does.
        uint64_t tag = ((uint64_t(id3[6]) << 7 | id3[7]) << 7 | id3[8]) << 7 | id3[9];
        start = 10 + tag;
    }
    WaveFormat wave;
    if (ProbeRiffWave(s, 0x55, &wave)) start = wave.dataOffset;

    uint64_t offset = start;
    // The filler rule holds for the very first candidate too; otherwise a file that begins with
    // 0xFF bytes would be taken as a frame of bit rate 0.
    uint32_t h = UnlessFiller(HeaderAt(s, offset));
    while (!mpeg::IsValidHeader(h) && offset < limit) {
        ++offset;
        h = UnlessFiller(HeaderAt(s, offset));
    }
    if (offset >= limit) return h;

    const uint32_t first = h;
    uint64_t at = offset;
    for (int i = 0; i < 5; ++i) {
        uint32_t frame = mpeg::FrameLength(h);
        if (frame == 0) return 0;
        at += frame;
        h = HeaderAt(s, at);
        if (!mpeg::IsValidHeader(h)) return h;
    }
    return first;
}

ProbeResult ProbeMpegFileDetailed(const std::string& path) {
    ProbeResult r;
    // Non-blocking, so a FIFO named by a playlist cannot hang the probe: its pread fails instead.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        r.error = errno;
        return r;
    }
    BufferedFileSource source(fd);
    r.header = ProbeMpegFrame(source);
    if (source.Failed()) {  // a folder fails here too, with EISDIR
        r.error = source.Error() ? source.Error() : EIO;
        r.header = 0;
    }
    close(fd);
    return r;
}

uint32_t ProbeMpegFile(const std::string& path) { return ProbeMpegFileDetailed(path).header; }

}  // namespace zanto
