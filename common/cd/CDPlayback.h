#pragma once
// Digital play of a disc: a thread reads the audio sectors from a start position on to the end
// of the disc and feeds them to a sound sink. Data tracks are never sent to the output: play
// passes over them to the next audio track. The position reported is that of what is heard,
// not of what has been read ahead.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/cd/CDSoundSink.h"
#include "common/cd/DiscToc.h"

namespace zanto::cd {

class CDPlayback {
public:
    // Reads count sectors from lsn on as interleaved samples (count x 588 x 2); false on failure.
    using SectorReader = std::function<bool(int32_t lsn, uint32_t count, int16_t* out)>;

    explicit CDPlayback(CDSinkFactory sinks);
    ~CDPlayback();
    CDPlayback(const CDPlayback&) = delete;
    CDPlayback& operator=(const CDPlayback&) = delete;

    // Stops what plays, opens the output and starts the thread at startLsn (an audio sector).
    // False with *error set when the output cannot be opened.
    bool Start(const DiscToc& toc, int32_t startLsn, SectorReader reader, std::string* error);
    // Signals the thread and joins it; the heard position stays.
    void Stop();
    // True from Start until the end of the disc has been heard, a read failed or Stop.
    bool Playing() const { return running_.load(); }
    // LSN of the sector being heard; -1 before the first Start.
    int32_t HeardLsn();
    // True when the last play ended on a read failure.
    bool ReadFailed() const { return readFailed_.load(); }

    // Sectors read and sent in one go at most.
    static constexpr uint32_t kChunkSectors = 8;

private:
    // From this many frames sent on, the output plays from lsn.
    struct Segment {
        uint64_t firstFrame;
        int32_t lsn;
    };

    void Run(int32_t startLsn);
    // Waits until the output has heard more frames or Stop is signalled; false on Stop.
    bool WaitForProgress(uint64_t seen);
    void OnProgress();
    void Join();

    CDSinkFactory sinks_;
    DiscToc toc_;
    SectorReader reader_;
    std::unique_ptr<CDSoundSink> sink_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> readFailed_{false};
    std::atomic<uint64_t> progress_{0};
    std::mutex wakeMutex_;
    std::condition_variable wake_;

    std::mutex segmentMutex_;  // guards the fields below
    std::vector<Segment> segments_;
    uint64_t framesSent_ = 0;
    int32_t endLsn_ = -1;      // one past the last sector sent
    int32_t stoppedLsn_ = -1;  // heard position kept after the output is closed
};

}  // namespace zanto::cd
