#pragma once
// What a producer thread and the consumer of one file write share: the chunk being handed over
// and its figures, and the device's three manual-reset events. Exactly one chunk is in flight:
// the producer fills the record only while the ready event is clear, the consumer reads it only
// between the event's setting and its reset.
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "memview/link/FlashGeometry.h"
#include "memview/link/ManualResetEvent.h"

namespace zanto {

inline constexpr size_t kChunkBytes = 32768;

class TransferRecord {
public:
    TransferRecord(ManualResetEvent& cancel, ManualResetEvent& done, ManualResetEvent& ready)
        : cancel(cancel), done(done), ready(ready) {}
    TransferRecord(const TransferRecord&) = delete;
    TransferRecord& operator=(const TransferRecord&) = delete;

    // Sets every field to its value before a producer starts.
    void Prepare(const std::string& sourceText, bool showErrorsFlag);

    std::string source;  // path, web address, or the name of the other memory's file
    std::array<uint8_t, kChunkBytes> chunk{};
    bool showErrors = true;
    MemoryType sourceMemory = MemoryType::Internal;
    // Bytes in the chunk (1..32768); 0 = end of data; -1 = the source failed. Before a copy from
    // the other memory starts it carries the player's PortValue.
    int64_t count = 0;
    int64_t total = -1;     // size of the source, -1 while unknown
    int64_t produced = 0;   // bytes handed over so far
    uint32_t headerWord = 0;  // frame header found in a web download

    ManualResetEvent& cancel;
    ManualResetEvent& done;
    ManualResetEvent& ready;

    // ---- producer side ----
    // Waits while the previous chunk is still unread, checking the cancel event at least every
    // 100 ms; false when cancel was set.
    bool WaitForRoom();
    // Fills the chunk with 0xFF, copies size bytes (at most kChunkBytes) in, and sets ready.
    void HandOver(const uint8_t* data, size_t size, int64_t producedNow);
    // Hands over the end of data (0) or a failure (-1), each once the record is free.
    void HandOverEnd() { HandOverCount(0); }
    void HandOverFailure() { HandOverCount(-1); }
    // A producer's last act, whatever the reason: ready, then done.
    void Finish();

    // ---- consumer side ----
    struct Taken {
        int64_t count = 0;
        int64_t produced = 0;
        int64_t total = -1;
        uint32_t headerWord = 0;
    };
    // Waits for the ready event; takes the figures, copies the data into staging when there is
    // any, resets ready and lets the producer go on. The caller checks cancel before using it.
    Taken Take(uint8_t* staging);
    // Sets cancel and wakes a producer waiting for room at once.
    void Cancel();

private:
    void HandOverCount(int64_t value);
    void Wake();

    std::mutex mutex_;
    std::condition_variable taken_;
};

// The percent of a transfer: produced x 100 / total, or nothing while the total is unknown.
int ProgressPercent(int64_t produced, int64_t total);

}  // namespace zanto
