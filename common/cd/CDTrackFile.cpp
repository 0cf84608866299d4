#include "common/cd/CDTrackFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "common/cd/CDTime.h"
#include "common/cd/PrivateProfile.h"

using namespace zanto::cd;

namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// A real track file has two chunks; garbage gets this many before it is given up.
constexpr int kMaxChunks = 4096;

bool ReadAt(CMediaStream& stream, uint64_t offset, void* buffer, uint32_t count) {
    if (offset > uint64_t(std::numeric_limits<int32_t>::max())) return false;
    if (stream.Seek(int32_t(offset), 0) != int32_t(offset)) return false;
    return stream.Read(buffer, count) == count;
}

}  // namespace

int CCDTrackFile::Read(CMediaStream& stream) {
    *this = CCDTrackFile{};
    uint8_t chunk[36];
    uint64_t end = 0;
    try {
        stream.SeekToBegin();
        if (stream.Read(chunk, 8) != 8 || std::memcmp(chunk, "RIFF", 4) != 0) return 0;
        end = uint64_t(Le32(chunk + 4)) + 8;
        const uint64_t length = stream.GetLength();
        uint64_t pos = 8;
        bool found = false;
        // Chunk sizes are unsigned, so every step moves forward and the walk ends.
        for (int n = 0; n < kMaxChunks && pos < end && pos + 8 <= length; ++n) {
            if (!ReadAt(stream, pos, chunk, 8)) return 0;
            if (std::memcmp(chunk, "CDDA", 4) == 0) {
                if (!ReadAt(stream, pos, chunk, 36)) return 0;
                found = true;
                break;
            }
            pos += 8 + uint64_t(Le32(chunk + 4));
        }
        if (!found) return 0;
    } catch (...) {
        return 0;  // a stream's file error
    }
    if (std::memcmp(chunk, "CDDA", 4) != 0 || std::memcmp(chunk + 4, "fmt ", 4) != 0) return 0;
    const uint16_t version = Le16(chunk + 12), track = Le16(chunk + 14);
    if (version != 1 || track == 0) return 0;
    riffEnd_ = end;
    version_ = version;
    trackNumber_ = track;
    discId_ = Le32(chunk + 16);
    startSector_ = Le32(chunk + 20);
    sectorCount_ = Le32(chunk + 24);
    startMsf_ = RedBookToMsf(Le32(chunk + 28));
    lengthMsf_ = RedBookToMsf(Le32(chunk + 32));
    return 1;
}

uint32_t CCDTrackFile::GetDuration() const {
    return MsfSecond(lengthMsf_) * 1000 + MsfMinute(lengthMsf_) * 60000;
}

int CCDTrackFile::GetTitle(char* buffer, uint32_t size, const std::string& iniPath) const {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    if (trackNumber_ == 0) return 0;
    const std::string title =
        ReadProfileString(iniPath, DiscSectionName(discId_), TrackKey(trackNumber_ - 1), "", size);
    std::memcpy(buffer, title.c_str(), title.size() + 1);
    return int(title.size());
}

namespace zanto::cd {

std::array<uint8_t, kTrackFileSize> BuildTrackFile(const CDTrackFileData& d) {
    std::array<uint8_t, kTrackFileSize> b{};
    std::memcpy(&b[0], "RIFF", 4);
    PutLe32(&b[4], 36);
    std::memcpy(&b[8], "CDDA", 4);
    std::memcpy(&b[12], "fmt ", 4);
    PutLe32(&b[16], 24);
    PutLe16(&b[20], 1);
    PutLe16(&b[22], d.trackNumber);
    PutLe32(&b[24], d.discId);
    PutLe32(&b[28], d.startSector);
    PutLe32(&b[32], d.sectorCount);
    PutLe32(&b[36], MsfToRedBook(d.startMsf));
    PutLe32(&b[40], MsfToRedBook(d.lengthMsf));
    return b;
}

int WriteTrackFile(const std::string& path, const CDTrackFileData& data) {
    const auto bytes = BuildTrackFile(data);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) return errno ? errno : EIO;
    size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 && errno ? errno : EIO;
            break;
        }
        done += size_t(n);
    }
    if (::close(fd) != 0 && !error) error = errno ? errno : EIO;
    if (error) ::unlink(path.c_str());  // a torn track file would be read as garbage
    return error;
}

}  // namespace zanto::cd
