#include "common/playback/WaveDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/MediaProbe.h"
#include "common/playback/DeviceError.h"

namespace zanto::playback {

namespace {
constexpr uint16_t kPcmTag = 1;
// Rates outside this range are taken for a damaged header rather than played.
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;
}  // namespace

std::unique_ptr<PcmDecoder> WaveDecoder::Open(const std::string& path, int32_t* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = kDeviceFileNotFound;
        return nullptr;
    }
    std::unique_ptr<WaveDecoder> d(new WaveDecoder);
    d->fd_ = fd;
    WaveFormat wf;
    BufferedFileSource source(fd);
    bool accepted = ProbeRiffWave(source, kPcmTag, &wf);
    if (source.Failed()) {
        *error = kDeviceCannotRead;
        return nullptr;
    }
    if (!accepted || (wf.bitsPerSample != 8 && wf.bitsPerSample != 16) ||
        wf.samplesPerSec < kMinRate || wf.samplesPerSec > kMaxRate) {
        *error = kDeviceInvalidFile;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *error = kDeviceCannotRead;
        return nullptr;
    }
    d->format_ = {wf.formatTag, wf.channels, wf.samplesPerSec, wf.avgBytesPerSec, wf.blockAlign,
                  wf.bitsPerSample};
    // The frame size follows from the sample format; a damaged block alignment does not count.
    d->frameBytes_ = wf.channels * (wf.bitsPerSample / 8u);
    d->dataOffset_ = wf.dataOffset;
    // A file cut short plays what it holds.
    uint64_t size = static_cast<uint64_t>(st.st_size);
    uint64_t present = size > wf.dataOffset ? size - wf.dataOffset : 0;
    d->frames_ = std::min<uint64_t>(wf.dataSize, present) / d->frameBytes_;
    *error = kDeviceOk;
    return d;
}

WaveDecoder::~WaveDecoder() {
    if (fd_ >= 0) ::close(fd_);
}

uint32_t WaveDecoder::LengthMs() const {
    return static_cast<uint32_t>(frames_ * 1000 / format_.samplesPerSec);
}

size_t WaveDecoder::Read(int16_t* out, size_t frames) {
    frames = static_cast<size_t>(std::min<uint64_t>(frames, frames_ - next_));
    if (frames == 0) return 0;
    std::vector<uint8_t> raw(frames * frameBytes_);
    size_t got = 0;
    while (got < raw.size()) {
        ssize_t n = ::pread(fd_, raw.data() + got, raw.size() - got,
                            static_cast<off_t>(dataOffset_ + next_ * frameBytes_ + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    size_t whole = got / frameBytes_;
    size_t samples = whole * format_.channels;
    if (format_.bitsPerSample == 8) {
        for (size_t i = 0; i < samples; ++i) out[i] = static_cast<int16_t>((raw[i] - 128) * 256);
    } else {
        for (size_t i = 0; i < samples; ++i)
            out[i] = static_cast<int16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    // A read that comes up short means the file shrank: end the item there.
    if (whole < frames) frames_ = next_ + whole;
    next_ += whole;
    return whole;
}

bool WaveDecoder::Seek(uint32_t ms) {
    uint64_t frame = static_cast<uint64_t>(ms) * format_.samplesPerSec / 1000;
    next_ = std::min(frame, frames_);
    return true;
}

}  // namespace zanto::playback
