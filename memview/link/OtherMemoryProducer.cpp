#include <optional>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "memview/link/Producers.h"

namespace zanto {

namespace {

constexpr int kReadAttempts = 5;

std::optional<FileEntry> FindByName(const DirectoryImage& image, const std::string& name) {
    for (int i = 0; i < image.PlayCount(); ++i)
        if (auto e = image.Entry(i); e && e->name == name) return e;
    for (int i = 0; i < image.DataCount(); ++i)
        if (auto e = image.Entry(kDataListStart + i); e && e->name == name) return e;
    return std::nullopt;
}

void Produce(TransferRecord& record, PortDriver& driver, Clock& clock) {
    MemoryDevice other(driver, clock);
    record.total = -1;
    if (record.cancel.IsSet()) return;
    const PortValue port = static_cast<PortValue>(record.count);
    other.SetPort(port);
    other.SetMemoryType(record.sourceMemory);
    if (!other.Refresh()) {
        record.HandOverFailure();
        return;
    }
    std::optional<FileEntry> entry = FindByName(other.Image(), record.source);
    if (!entry) {
        record.HandOverFailure();
        return;
    }
    record.total = entry->size;
    std::vector<uint8_t> block(kChunkBytes);
    std::vector<bool> visited(kMaxBlocks, false);
    int64_t produced = 0;
    uint32_t b = entry->firstBlock;
    // The chain read from the player is walked at most the entry's block count, never twice
    // through a block and never past the memory.
    for (uint32_t walked = 0; b != 0; ++walked) {
        if (walked >= entry->blocks || b >= other.TotalBlocks() || visited[b]) {
            record.HandOverFailure();
            return;
        }
        visited[b] = true;
        bool read = false;
        for (int attempt = 0; attempt < kReadAttempts && !read; ++attempt) {
            if (record.cancel.IsSet()) return;
            other.ClearError();
            read = other.ReadBlockRetry(static_cast<uint16_t>(b), block.data(), true);
        }
        if (!read) {
            record.HandOverFailure();
            return;
        }
        const uint16_t next = other.Image().Link(b);
        int64_t count = kChunkBytes;
        if (next == 0) {
            const uint16_t last = entry->lastBlockBytes;
            count = last >= 1 && last <= kChunkBytes ? last : kChunkBytes;
        }
        if (!record.WaitForRoom()) return;
        produced += count;
        record.HandOver(block.data(), size_t(count), produced);
        b = next;
    }
    record.HandOverEnd();
}

}  // namespace

void OtherMemoryProducer(TransferRecord& record, PortDriver& driver, Clock& clock) {
    Produce(record, driver, clock);
    record.Finish();
}

}  // namespace zanto
