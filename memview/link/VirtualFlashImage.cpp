#include "memview/link/VirtualFlashImage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zanto {

namespace {

constexpr char kMagic[8] = {'K', 'P', '5', '0', 'N', 'A', 'N', 'D'};

size_t ChipBytes(uint8_t code) {
    const ChipKind* kind = FindChipKind(code);
    return kind ? static_cast<size_t>(kind->blocks) * kPagesPerBlock * kPageRawSize : 0;
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

VirtualFlashImage::~VirtualFlashImage() { Close(); }

void VirtualFlashImage::Close() {
    if (base_) ::munmap(base_, size_);
    base_ = nullptr;
    size_ = 0;
    codes_ = {};
}

bool VirtualFlashImage::Create(const std::string& path, MemoryType type,
                               const std::array<uint8_t, kChipPositions>& codes,
                               std::string* error) {
    size_t size = kImageHeaderSize;
    for (uint8_t code : codes) {
        if (code != 0 && !FindChipKind(code))
            return Fail(error, "unknown chip code " + std::to_string(code));
        size += ChipBytes(code);
    }
    // Written under a temporary name and renamed, so a reader never maps a half-made image.
    const std::string temp = path + ".new";
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, temp + ": " + std::strerror(errno));
    bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    void* map = ok ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (map == MAP_FAILED) {
        std::string why = std::strerror(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return Fail(error, path + ": " + why);
    }
    auto* bytes = static_cast<uint8_t*>(map);
    std::memset(bytes, 0, kImageHeaderSize);
    std::memcpy(bytes, kMagic, sizeof kMagic);
    PutLe32(bytes + 8, kImageVersion);
    PutLe32(bytes + 12, static_cast<uint32_t>(type));
    std::memcpy(bytes + 16, codes.data(), kChipPositions);
    std::memset(bytes + kImageHeaderSize, 0xFF, size - kImageHeaderSize);
    ok = ::msync(map, size, MS_SYNC) == 0;
    ::munmap(map, size);
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        return Fail(error, path + ": " + why);
    }
    return true;
}

bool VirtualFlashImage::Open(const std::string& path, MemoryType type, std::string* error) {
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return Fail(error, path + ": " + std::strerror(errno));
    struct stat st;
    uint8_t header[kImageHeaderSize];
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kImageHeaderSize) ||
        ::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) {
        ::close(fd);
        return Fail(error, path + ": not a virtual player memory image (too short)");
    }
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || GetLe32(header + 8) != kImageVersion ||
        GetLe32(header + 12) != static_cast<uint32_t>(type)) {
        ::close(fd);
        return Fail(error, path + ": not a virtual player memory image of this kind");
    }
    std::array<uint8_t, kChipPositions> codes;
    std::memcpy(codes.data(), header + 16, kChipPositions);
    std::array<size_t, kChipPositions> offsets{};
    size_t size = kImageHeaderSize;
    const size_t positions = ChipPositions(type);
    for (size_t p = 0; p < kChipPositions; ++p) {
        if (codes[p] != 0 && (!FindChipKind(codes[p]) || p >= positions)) {
            ::close(fd);
            return Fail(error, path + ": chip position " + std::to_string(p) +
                                   " holds an unusable chip code");
        }
        offsets[p] = size;
        size += ChipBytes(codes[p]);
    }
    if (static_cast<size_t>(st.st_size) != size) {
        ::close(fd);
        return Fail(error, path + ": image size does not match its chips");
    }
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return Fail(error, path + ": " + std::strerror(errno));
    base_ = static_cast<uint8_t*>(map);
    size_ = size;
    codes_ = codes;
    offsets_ = offsets;
    return true;
}

uint32_t VirtualFlashImage::PageCount(size_t position) const {
    if (!base_ || position >= kChipPositions) return 0;
    const ChipKind* kind = FindChipKind(codes_[position]);
    return kind ? static_cast<uint32_t>(kind->blocks) * kPagesPerBlock : 0;
}

uint8_t* VirtualFlashImage::Page(size_t position, uint32_t page) {
    if (page >= PageCount(position)) return nullptr;
    return base_ + offsets_[position] + static_cast<size_t>(page) * kPageRawSize;
}

bool VirtualFlashImage::Locate(uint16_t block, size_t& position, uint16_t& blockInChip) const {
    uint32_t n = block;
    for (size_t p = 0; p < kChipPositions; ++p) {
        const ChipKind* kind = FindChipKind(codes_[p]);
        if (!kind) continue;
        if (n < kind->blocks) {
            position = p;
            blockInChip = static_cast<uint16_t>(n);
            return true;
        }
        n -= kind->blocks;
    }
    return false;
}

}  // namespace zanto
