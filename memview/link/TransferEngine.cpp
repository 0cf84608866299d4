#include "memview/link/TransferEngine.h"

#include <system_error>

#include "common/MpegHeader.h"
#include "common/Settings.h"
#include "memview/link/UrlListLines.h"

namespace zanto {

TransferEngine::TransferEngine(MemoryDevice& device)
    : device_(device),
      record_(device.CancelEvent(), device.DoneEvent(), device.ReadyEvent()),
      staging_(std::make_unique<uint8_t[]>(kChunkBytes)) {}

TransferEngine::~TransferEngine() {
    record_.Cancel();
    for (std::thread* t : {&producer_, &listProducer_})
        if (t->joinable()) t->join();
}

void TransferEngine::Cancel() {
    cancelRequested_ = true;
    record_.Cancel();
}

void TransferEngine::ResumeJobs() { cancelRequested_ = false; }

void TransferEngine::ResetEvents() {
    record_.ready.Reset();
    record_.cancel.Reset();
    record_.done.Reset();
    // A cancel that came between two jobs still stops the next one.
    if (cancelRequested_) record_.cancel.Set();
}

void TransferEngine::Report(ProgressSink* progress, int percent) {
    if (percent < 0) return;
    progress_ = percent;
    device_.PostProgress(progress, percent);
}

void TransferEngine::StopProducer(std::thread& producer) {
    record_.Cancel();
    if (producer.joinable()) {
        record_.done.Wait();
        producer.join();
    }
}

HttpProducerOptions TransferEngine::HttpOptions(bool findFrameHeader) const {
    HttpProducerOptions options;
    options.proxy = settings::ReadProxy();
    options.clock = &device_.GetClock();
    options.stallLimit = stallLimit_;
    options.findFrameHeader = findFrameHeader;
    return options;
}

void TransferEngine::Abandon(int index, uint16_t attempted) {
    DirectoryImage& image = device_.Image();
    std::optional<FileEntry> entry = image.Entry(index);
    if (!entry) return;
    image.FreeChain(entry->firstBlock);
    // A block taken for a write that failed before it joined the chain.
    if (attempted != 0 && attempted != kNoBlock && image.Usage(attempted) == kBlockUsed &&
        attempted != image.DirectoryBlock()) {
        image.MarkFree(attempted);
        image.SetLink(attempted, 0);
    }
    entry->firstBlock = 0;
    image.StoreEntry(index, *entry);
    image.RemoveFromList(index);
}

bool TransferEngine::WriteFile(int index, const std::string& source, ProgressSink* progress) {
    progress_ = 0;
    ResetEvents();
    DirectoryImage& image = device_.Image();
    std::optional<FileEntry> entry = image.Entry(index);
    // Only a waiting entry is written; a stored file's blocks are never touched.
    if (!entry || !IsWaitingState(entry->state)) {
        device_.SetLastError(DeviceError::Cancelled);
        return false;
    }
    const uint8_t former = entry->state;
    image.FreeChain(entry->firstBlock);
    entry->firstBlock = 0;
    entry->state = static_cast<uint8_t>(EntryState::Incomplete);
    entry->time = static_cast<uint32_t>(device_.GetClock().CalendarSeconds());
    image.StoreEntry(index, *entry);

    record_.Prepare(source, device_.ShowErrors());
    bool started = false;
    try {
        if (former == 2 || former == 3) {
            producer_ = std::thread([this] { LocalFileProducer(record_, opener_); });
            started = true;
        } else if ((former == 4 || former == 5) && (source == "0" || source == "1")) {
            record_.sourceMemory = source == "1" ? MemoryType::Card : MemoryType::Internal;
            record_.source = entry->name;
            record_.count = static_cast<int64_t>(device_.Port());
            producer_ = std::thread([this] {
                OtherMemoryProducer(record_, device_.Driver(), device_.GetClock());
            });
            started = true;
        } else if (former == 6) {
            producer_ = std::thread(
                [this, options = HttpOptions(true)] { HttpProducer(record_, options); });
            started = true;
        }
    } catch (const std::system_error&) {
        started = false;
    }
    if (!started) {
        device_.SetLastError(DeviceError::Cancelled);
        Abandon(index, kNoBlock);
        progress_ = 0;
        return false;
    }

    bool ok = true;
    bool complete = false;  // the data ended and the entry is finished or rightly removed
    uint16_t block = image.FirstFree();
    uint16_t lastWritten = kNoBlock;
    uint64_t size = 0;
    if (block == kNoBlock) {
        device_.SetLastError(DeviceError::OutOfMemory);
        ok = false;
    }
    while (ok) {
        const TransferRecord::Taken chunk = record_.Take(staging_.get());
        if (record_.cancel.IsSet()) {
            device_.SetLastError(DeviceError::Cancelled);
            ok = false;
            break;
        }
        if (chunk.count < 0) {
            device_.SetLastError(DeviceError::FileRead);
            ok = false;
            break;
        }
        if (chunk.count > 0) {
            size += uint64_t(chunk.count);
            if (chunk.total >= 0) Report(progress, ProgressPercent(chunk.produced, chunk.total));
            uint16_t next = kNoBlock;
            if (!device_.WriteChainBlock(block, staging_.get(), &next)) {
                if (device_.LastError() == DeviceError::BadBlock)
                    device_.SetLastError(DeviceError::Unstable);
                ok = false;
                break;
            }
            lastWritten = block;
            if (entry->firstBlock == 0) {
                entry->firstBlock = block;
                image.StoreEntry(index, *entry);
                // Data that is not MPEG audio is not stored: the entry goes after its first block.
                if (former != 6 && !mpeg::IsValidHeader(entry->header)) {
                    image.DeleteEntry(index);
                    complete = true;
                    break;
                }
            }
            block = next;
            continue;
        }

        // The end of the data.
        entry->size = static_cast<uint32_t>(size);
        entry->blocks = static_cast<uint16_t>(BlocksForSize(size));
        entry->lastBlockBytes =
            static_cast<uint16_t>(size % kBlockBytes == 0 ? kBlockBytes : size % kBlockBytes);
        if (size > 0) {
            // The last block again, now without a next block, so its link page ends the chain.
            uint16_t last = lastWritten;
            if (!device_.WriteChainBlock(last, staging_.get(), nullptr)) {
                if (device_.LastError() == DeviceError::BadBlock)
                    device_.SetLastError(DeviceError::Unstable);
                block = last;
                ok = false;
                break;
            }
            if (entry->firstBlock == lastWritten) entry->firstBlock = last;
        }
        if (former == 6) entry->header = chunk.headerWord;
        if (size == 0 || !mpeg::IsValidHeader(entry->header)) {
            image.StoreEntry(index, *entry);
            image.DeleteEntry(index);
        } else {
            // Only now, with every block written, does the entry count as stored.
            entry->state = static_cast<uint8_t>(EntryState::Stored);
            image.StoreEntry(index, *entry);
        }
        complete = true;
        break;
    }

    // The directory is written after every completed file, before the producer is stopped.
    const bool committed = complete && device_.CommitImage();
    StopProducer(producer_);
    if (!complete) Abandon(index, block);
    progress_ = 0;
    device_.PostProgress(nullptr, 0);
    return ok && committed;
}

bool TransferEngine::FetchUrlList(const std::string& address, std::vector<std::string>& list,
                                  ProgressSink* progress) {
    progress_ = 0;
    ResetEvents();
    record_.Prepare(address, device_.ShowErrors());
    try {
        listProducer_ =
            std::thread([this, options = HttpOptions(false)] { HttpProducer(record_, options); });
    } catch (const std::system_error&) {
        device_.SetLastError(DeviceError::Cancelled);
        return false;
    }
    UrlListLines lines(list);
    bool ok = false;
    while (true) {
        const TransferRecord::Taken chunk = record_.Take(staging_.get());
        if (record_.cancel.IsSet()) {
            device_.SetLastError(DeviceError::Cancelled);
            break;
        }
        if (chunk.count < 0) {
            device_.SetLastError(DeviceError::FileRead);
            break;
        }
        if (chunk.count == 0) {
            lines.End();
            ok = true;
            break;
        }
        if (chunk.total >= 0) Report(progress, ProgressPercent(chunk.produced, chunk.total));
        lines.Feed(staging_.get(), size_t(chunk.count));
    }
    StopProducer(listProducer_);
    progress_ = 0;
    device_.PostProgress(nullptr, 0);
    return ok;
}

}  // namespace zanto
