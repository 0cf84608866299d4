#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "memview/link/ManualResetEvent.h"
#include "memview/link/Producers.h"
#include "memview/link/TransferRecord.h"

using namespace zanto;

namespace {

struct Events {
    ManualResetEvent cancel, done, ready;
};

// Counts how far the producer has read while the consumer is slow.
struct CountingReader : SourceReader {
    std::atomic<int> chunksRead{0};
    int chunks;
    explicit CountingReader(int n) : chunks(n) {}
    int64_t Size() override { return int64_t(chunks) * int64_t(kChunkBytes) - 100; }
    long Read(uint8_t* buffer, size_t size) override {
        const int i = chunksRead.load();
        if (i >= chunks) return 0;
        const size_t n = i == chunks - 1 ? size - 100 : size;
        for (size_t k = 0; k < n; ++k) buffer[k] = uint8_t(i);
        chunksRead = i + 1;
        return long(n);
    }
};

// Hands the producer a reader the test keeps, so the test can still look at it afterwards.
struct Borrowed : SourceReader {
    SourceReader& inner;
    explicit Borrowed(SourceReader& r) : inner(r) {}
    int64_t Size() override { return inner.Size(); }
    long Read(uint8_t* buffer, size_t size) override { return inner.Read(buffer, size); }
};

TEST(TransferRecordTest, OneChunkInFlightAndAShortLastChunkPaddedWithFF) {
    Events e;
    TransferRecord record(e.cancel, e.done, e.ready);
    record.Prepare("x", true);
    CountingReader counting(6);
    CountingReader* reader = &counting;
    std::thread producer([&] {
        LocalFileProducer(record, [&](const std::string&) { return std::make_unique<Borrowed>(counting); });
    });
    std::vector<uint8_t> staging(kChunkBytes);
    int taken = 0;
    int64_t produced = 0;
    while (true) {
        // Before each take the producer is at most one chunk in the record and one being read.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_LE(reader->chunksRead.load(), taken + 2);
        TransferRecord::Taken t = record.Take(staging.data());
        if (t.count <= 0) {
            EXPECT_EQ(t.count, 0);
            break;
        }
        EXPECT_EQ(staging[0], uint8_t(taken));
        produced += t.count;
        EXPECT_EQ(t.produced, produced);
        EXPECT_EQ(t.total, 6 * int64_t(kChunkBytes) - 100);
        if (taken == 5) {
            EXPECT_EQ(t.count, int64_t(kChunkBytes) - 100);
            EXPECT_EQ(staging[kChunkBytes - 101], 5);
            EXPECT_EQ(staging[kChunkBytes - 100], 0xFF);
            EXPECT_EQ(staging[kChunkBytes - 1], 0xFF);
        }
        ++taken;
    }
    producer.join();
    EXPECT_EQ(taken, 6);
    EXPECT_TRUE(e.done.IsSet());
}

TEST(TransferRecordTest, CancelWakesAProducerWaitingForRoom) {
    Events e;
    TransferRecord record(e.cancel, e.done, e.ready);
    record.Prepare("x", true);
    std::thread producer([&] {
        LocalFileProducer(record, [](const std::string&) { return std::make_unique<CountingReader>(100); });
    });
    // Nobody takes: the producer fills the record and waits; cancel ends it.
    while (!e.ready.IsSet()) std::this_thread::yield();
    record.Cancel();
    producer.join();
    EXPECT_TRUE(e.done.IsSet());
}

TEST(TransferRecordTest, ProgressPercent) {
    const struct {
        int64_t produced, total;
        int percent;
    } cases[] = {{0, 100, 0}, {32768, 100000, 32}, {100000, 100000, 100}, {5, -1, -1},
                 {5, 0, -1}, {int64_t(4) << 30, int64_t(5) << 30, 80}, {200, 100, 100}};
    for (const auto& c : cases) EXPECT_EQ(ProgressPercent(c.produced, c.total), c.percent);
}

}  // namespace
