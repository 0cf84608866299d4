#include "common/cd/CDPlayback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/cd/tests/FakeSink.h"
#include "common/testing/DiscImage.h"
#include "common/testing/WaitFor.h"

namespace zanto::cd {
namespace {

DiscToc TwoTracks() {
    DiscToc toc;
    toc.tracks = {{1, 0, true}, {2, 40, true}};
    toc.leadout = 100;
    return toc;
}

// Reads like the test images do, failing from sector failFrom on.
CDPlayback::SectorReader ReaderFailingFrom(int32_t failFrom, std::atomic<int>* calls = nullptr) {
    return [failFrom, calls](int32_t lsn, uint32_t count, int16_t* out) {
        if (calls) ++*calls;
        if (lsn + static_cast<int32_t>(count) > failFrom) return false;
        std::vector<int16_t> samples;
        testkit::AppendExpectedSamples(samples, lsn, lsn + static_cast<int32_t>(count));
        std::copy(samples.begin(), samples.end(), out);
        return true;
    };
}

void HearAll(testing::FakeSinkState& sink, CDPlayback& playback) {
    while (playback.Playing()) {
        if (sink.Consume(588) == 0) std::this_thread::yield();
    }
    sink.Consume(1u << 20);
}

// A sector that cannot be read ends play: what was read before it is heard, then play is over
// and says why, instead of playing noise or waiting for ever.
TEST(CDPlayback, ReadFailureEndsPlay) {
    testing::FakeSinkState sink(588 * 4);
    CDPlayback playback(sink.Factory());
    std::string error;
    ASSERT_TRUE(playback.Start(TwoTracks(), 30, ReaderFailingFrom(50), &error));
    HearAll(sink, playback);
    EXPECT_TRUE(playback.ReadFailed());
    EXPECT_TRUE(sink.EndOfInput());
    const std::vector<int16_t> heard = sink.Heard();
    std::vector<int16_t> expected;
    testkit::AppendExpectedSamples(expected, 30, 30 + static_cast<int32_t>(heard.size() / 1176));
    EXPECT_TRUE(heard == expected);
    EXPECT_LE(heard.size() / 1176, 20u);
    EXPECT_LE(playback.HeardLsn(), 50);
}

TEST(CDPlayback, PlaysToTheLeadOutAndStopsThere) {
    testing::FakeSinkState sink(588 * 3);
    CDPlayback playback(sink.Factory());
    std::string error;
    ASSERT_TRUE(playback.Start(TwoTracks(), 95, ReaderFailingFrom(1000), &error));
    HearAll(sink, playback);
    EXPECT_FALSE(playback.ReadFailed());
    EXPECT_EQ(playback.HeardLsn(), 100);
    EXPECT_EQ(sink.Heard().size(), 5u * 1176);
    playback.Stop();
    EXPECT_EQ(playback.HeardLsn(), 100);  // kept after the output is gone
}

// Stop ends a play thread that waits for an output that no longer takes anything.
TEST(CDPlayback, StopReleasesAThreadWaitingForTheOutput) {
    testing::FakeSinkState sink(588);
    CDPlayback playback(sink.Factory());
    std::atomic<int> calls{0};
    std::string error;
    ASSERT_TRUE(playback.Start(TwoTracks(), 0, ReaderFailingFrom(1000, &calls), &error));
    ASSERT_TRUE(testkit::WaitFor([&] { return sink.QueuedFrames() == 588; }));
    playback.Stop();
    EXPECT_FALSE(playback.Playing());
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(playback.HeardLsn(), 0);
}

TEST(CDPlayback, OutputThatCannotOpenRefusesToStart) {
    testing::FakeSinkState sink(588);
    sink.FailOpen(true);
    CDPlayback playback(sink.Factory());
    std::string error;
    EXPECT_FALSE(playback.Start(TwoTracks(), 0, ReaderFailingFrom(1000), &error));
    EXPECT_EQ(error, "no output");
    EXPECT_FALSE(playback.Playing());
    CDPlayback without({});
    EXPECT_FALSE(without.Start(TwoTracks(), 0, ReaderFailingFrom(1000), &error));
}

}  // namespace
}  // namespace zanto::cd
