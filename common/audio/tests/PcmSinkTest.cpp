#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/audio/AudioDevice.h"
#include "common/audio/PcmSink.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto::audio;
using zanto::testkit::TempDir;
using zanto::testkit::WaitFor;

namespace {

struct Driver {
    explicit Driver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }
    ~Driver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST(AudioDeviceTest, TheDriverDecidesWhetherThereIsAnOutput) {
    struct Case {
        const char* driver;
        bool present;
    } cases[] = {{"dummy", true}, {"disk", true}, {"no-such-driver", false}};
    for (const Case& c : cases) {
        Driver d(c.driver);
        EXPECT_EQ(HasOutputDevice(), c.present) << c.driver;
        EXPECT_EQ(TestOpenDefaultDevice(), c.present) << c.driver;
    }
    std::string error;
    Driver d("no-such-driver");
    EXPECT_EQ(PcmSink::Open(44100, 2, nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(PcmSink::Open(0, 2, nullptr, &error), nullptr);
}

TEST(PcmSinkTest, PlaysWhatIsWrittenAndCountsTheFrames) {
    TempDir dir;
    Driver d("disk");
    setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    std::atomic<int> progress{0};
    std::string error;
    auto sink = PcmSink::Open(8000, 2, [&] { ++progress; }, &error);
    ASSERT_NE(sink, nullptr) << error;

    // More than the ring holds: Write takes what fits and says how much; the second half goes
    // through Reserve and Commit, as a decoder writing in place does.
    constexpr size_t kFrames = 100000;
    std::vector<int16_t> pcm(2 * kFrames);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(1 + i % 1000);
    size_t written = sink->Write(pcm.data(), kFrames);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, kFrames);
    EXPECT_EQ(sink->Space(), 0u);
    size_t reserved = 1;
    EXPECT_NE(sink->Reserve(100, &reserved), nullptr);
    EXPECT_EQ(reserved, 0u) << "a full ring has no room";
    EXPECT_EQ(sink->FramesPlayed(), 0u) << "a new sink starts paused";

    sink->SetPaused(false);
    while (written < kFrames) {
        ASSERT_TRUE(WaitFor([&] { return sink->Space() > 0; }));
        if (written < kFrames / 2) {
            written += sink->Write(pcm.data() + 2 * written, kFrames - written);
        } else {
            size_t frames = 0;
            int16_t* space = sink->Reserve(kFrames - written, &frames);
            std::copy_n(pcm.data() + 2 * written, 2 * frames, space);
            sink->Commit(frames);
            written += frames;
        }
    }
    // A last part shorter than the device's period waits for the end of the input.
    sink->SetEndOfInput(true);
    ASSERT_TRUE(WaitFor([&] { return sink->Drained(); }));
    ASSERT_TRUE(WaitFor([&] { return sink->FramesPlayed() == kFrames; })) << sink->FramesPlayed();
    EXPECT_GT(progress.load(), 0);

    // Silence after the end is not counted as played.
    EXPECT_EQ(sink->FramesPlayed(), kFrames);
    sink->SetPaused(true);
    sink->Discard();
    EXPECT_TRUE(sink->Drained());
    sink->ResetPlayed();
    EXPECT_EQ(sink->FramesPlayed(), 0u);
    sink.reset();

    std::ifstream in(dir / "out.raw", std::ios::binary);
    std::vector<int16_t> out;
    int16_t s;
    while (in.read(reinterpret_cast<char*>(&s), sizeof s)) out.push_back(s);
    // The written samples, in order, with no silence between them.
    auto first = std::find(out.begin(), out.end(), pcm[0]);
    ASSERT_NE(first, out.end());
    ASSERT_GE(size_t(out.end() - first), pcm.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), first));
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
}

TEST(PcmSinkTest, ClosingReleasesADeviceThatWaitsForData) {
    std::string error;
    auto sink = PcmSink::Open(22050, 1, nullptr, &error);
    ASSERT_NE(sink, nullptr) << error;
    sink->SetPaused(false);  // nothing written: the device waits inside its callback
    sink.reset();            // and must still let go
    SUCCEED();
}

}  // namespace
