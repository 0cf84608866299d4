// File data block by block, inside a link opened by the caller: one chained block written with a
// bad-block fallback, and a whole file read back along its chain.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "memview/link/ProgressSink.h"

namespace zanto {

namespace {

constexpr int kBadBlocksPerWrite = 10;

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool MemoryDevice::WriteChainBlock(uint16_t& block, const uint8_t* data, uint16_t* next) {
    if (cancelEvent_.IsSet()) {
        lastError_ = DeviceError::Cancelled;
        return false;
    }
    const uint16_t previous = image_->Predecessor(block);
    if (lastError_ != DeviceError::None) return false;

    std::unique_ptr<uint8_t[]> rewrite;  // the previous block, when it must name a new next
    for (int badBlocks = 0;;) {
        if (block == kNoBlock) {
            lastError_ = DeviceError::NoSpace;
            return false;
        }
        image_->MarkUsed(block);
        uint16_t following = kNoNeighbour;
        if (next) {
            *next = image_->FirstFree();
            following = *next;
        }
        if (WriteBlockRetry(block, data, previous, following)) {
            if (previous != kNoBlock) image_->SetLink(previous, block);
            // No free block left for what follows: the chain ends here until one is found.
            image_->SetLink(block, next && *next != kNoBlock ? *next : 0);
            return true;
        }
        if (lastError_ != DeviceError::BadBlock) return false;
        image_->MarkBad(block);
        if (++badBlocks >= kBadBlocksPerWrite) return false;
        lastError_ = DeviceError::None;
        block = image_->FirstFree();
        if (cancelEvent_.IsSet()) {
            lastError_ = DeviceError::Cancelled;
            return false;
        }
        if (previous != kNoBlock) {
            // The previous block's link page still names the bad block as its next one.
            if (!rewrite) rewrite = std::make_unique<uint8_t[]>(kBlockBytes);
            const uint16_t beforePrevious = image_->Predecessor(previous);
            if (!ReadBlockRetry(previous, rewrite.get(), true) ||
                !WriteBlockRetry(previous, rewrite.get(), beforePrevious, block)) {
                lastError_ = DeviceError::BadBlock;
                return false;
            }
        }
    }
}

bool MemoryDevice::ReadFileToPath(int index, const std::string& path, ProgressSink* progress) {
    PostProgress(nullptr, 0);
    cancelEvent_.Reset();
    doneEvent_.Reset();
    const std::optional<FileEntry> entry = image_->Entry(index);
    if (!entry) {
        lastError_ = DeviceError::FlashRead;
        doneEvent_.Set();
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        lastError_ = DeviceError::CannotOpenFile;
        doneEvent_.Set();
        return false;
    }

    bool ok = true;
    uint64_t copied = 0;
    const uint64_t size = entry->size;
    const uint32_t total = std::min<uint32_t>(TotalBlocks(), kMaxBlocks);
    // The chain comes from the player: each block is read once at most, and never more bytes than
    // the entry's size, so a looping or overlong chain ends.
    std::vector<bool> visited(kMaxBlocks, false);
    uint32_t b = entry->firstBlock;
    while (b != 0) {
        if (cancelEvent_.IsSet()) {
            ok = false;  // stopped by the user: no error to show
            break;
        }
        if (b >= total || visited[b]) {
            lastError_ = DeviceError::Critical;
            ok = false;
            break;
        }
        visited[b] = true;
        if (!ReadBlockRetry(static_cast<uint16_t>(b), staging_.get(), true)) {
            ok = false;
            break;
        }
        const uint16_t following = image_->Link(b);
        uint64_t count = kBlockBytes;
        if (following == 0) {
            const uint16_t last = entry->lastBlockBytes;
            count = last >= 1 && last <= kBlockBytes ? last : kBlockBytes;
        }
        count = std::min<uint64_t>(count, size - copied);
        copied += count;
        PostProgress(progress, size ? static_cast<int>(copied * 100 / size) : 100);
        if (!WriteAll(fd, staging_.get(), static_cast<size_t>(count))) {
            lastError_ = DeviceError::FileWrite;
            ok = false;
            break;
        }
        if (copied >= size) break;
        b = following;
    }
    ::close(fd);
    // A partial copy is not left behind looking like the whole file.
    if (!ok) ::unlink(path.c_str());
    doneEvent_.Set();
    progress_.store(0);
    return ok && lastError_ == DeviceError::None;
}

}  // namespace zanto
