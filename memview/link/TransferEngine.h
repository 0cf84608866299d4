#pragma once
// The transfer engine of one MemoryDevice: the consumer of a file write (WriteFile) with its
// producer thread, and the fetch of a web playlist (FetchUrlList). Both run on the caller's thread
// (a batch's worker); their producers run on threads of their own that are always signalled and
// joined, never abandoned.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "memview/link/Producers.h"
#include "memview/link/ProgressSink.h"
#include "memview/link/TransferRecord.h"

namespace zanto {

class TransferEngine {
public:
    // The device must outlive the engine; the engine's destructor cancels and joins its threads.
    explicit TransferEngine(MemoryDevice& device);
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Writes the waiting entry at index from its source (a path, a web address, or "0"/"1" for
    // the other memory) inside a link the caller holds open, then commits the directory. A write
    // that does not complete commits nothing and takes its entry out of the loaded image, with the
    // blocks it took freed, so later commits cannot list it. The reason is the device's error.
    bool WriteFile(int index, const std::string& source, ProgressSink* progress);

    // Fetches a playlist text and appends the web addresses its lines hold to list.
    bool FetchUrlList(const std::string& address, std::vector<std::string>& list,
                      ProgressSink* progress);

    // From any thread: stops the running job at its next check and every job until ResumeJobs.
    void Cancel();
    bool CancelRequested() const { return cancelRequested_.load(); }
    void ResumeJobs();

    // The percent of the running job, 0 when idle.
    int Progress() const { return progress_.load(); }

    // For tests: where local files are read from.
    void SetSourceOpener(SourceOpener opener) { opener_ = std::move(opener); }
    // For tests: the stall limit of web requests.
    void SetStallLimit(Clock::Duration limit) { stallLimit_ = limit; }

private:
    void ResetEvents();
    void StopProducer(std::thread& producer);
    void Report(ProgressSink* progress, int percent);
    HttpProducerOptions HttpOptions(bool findFrameHeader) const;
    // Frees what an incomplete write took and removes its entry.
    void Abandon(int index, uint16_t attempted);

    MemoryDevice& device_;
    TransferRecord record_;
    std::unique_ptr<uint8_t[]> staging_;
    std::thread producer_;
    std::thread listProducer_;
    std::atomic<int> progress_{0};
    std::atomic<bool> cancelRequested_{false};
    SourceOpener opener_;
    Clock::Duration stallLimit_ = std::chrono::seconds(30);
};

}  // namespace zanto
