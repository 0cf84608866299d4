#include "memview/link/TransferRecord.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace zanto {

void TransferRecord::Prepare(const std::string& sourceText, bool showErrorsFlag) {
    source = sourceText;
    showErrors = showErrorsFlag;
    sourceMemory = MemoryType::Internal;
    count = 0;
    total = -1;
    produced = 0;
    headerWord = 0;
}

bool TransferRecord::WaitForRoom() {
    std::unique_lock lock(mutex_);
    while (true) {
        if (cancel.IsSet()) return false;
        if (!ready.IsSet()) return true;
        // The consumer's Take and Cancel wake this wait; the time limit only bounds a cancel
        // made by setting the event directly.
        taken_.wait_for(lock, std::chrono::milliseconds(100));
    }
}

void TransferRecord::HandOver(const uint8_t* data, size_t size, int64_t producedNow) {
    size = std::min(size, kChunkBytes);
    chunk.fill(0xFF);
    if (size) std::memcpy(chunk.data(), data, size);
    count = static_cast<int64_t>(size);
    produced = producedNow;
    ready.Set();
}

void TransferRecord::HandOverCount(int64_t value) {
    if (!WaitForRoom()) return;
    count = value;
    ready.Set();
}

void TransferRecord::Finish() {
    ready.Set();
    done.Set();
}

TransferRecord::Taken TransferRecord::Take(uint8_t* staging) {
    ready.Wait();
    const Taken taken{count, produced, total, headerWord};
    if (taken.count > 0) std::memcpy(staging, chunk.data(), kChunkBytes);
    ready.Reset();
    Wake();
    return taken;
}

void TransferRecord::Cancel() {
    cancel.Set();
    Wake();
}

void TransferRecord::Wake() {
    { std::lock_guard lock(mutex_); }
    taken_.notify_all();
}

int ProgressPercent(int64_t produced, int64_t total) {
    if (total <= 0 || produced < 0) return -1;
    if (produced >= total) return 100;
    return static_cast<int>(produced * 100 / total);
}

}  // namespace zanto
