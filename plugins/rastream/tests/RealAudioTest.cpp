// The RealAudio player object with its engine: the set-up, the notifications and what each one
// changes, the bit-rate cut, and the two places that show an error in a message box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/DummyAudio.h"
#include "common/testing/RealMediaFixture.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/rastream/MessageBox.h"
#include "plugins/rastream/RealAudio.h"

using namespace rastream;
using namespace zanto::testkit;

namespace {
std::vector<std::pair<std::string, std::string>> g_shown;
void Record(const char* text, const char* title) { g_shown.emplace_back(text, title); }
}  // namespace

// The host's message-box hook, found by the plug-in code in this program.
extern "C" {
__attribute__((visibility("default"))) ZantoMessageBoxHook ZantoPluginMessageBox = &Record;
}

namespace {

struct RealAudioFixture : testing::Test {
    TempDir dir;
    void SetUp() override { g_shown.clear(); }
    std::string Rmf(double seconds = 1.0) {
        std::string path = dir / "tone.rmf";
        EXPECT_TRUE(WriteRealMedia(path, seconds));
        return path;
    }
    static Notification Status(int32_t sub, const std::string& text) {
        return {kNotifyMessage, NotifyRecord::Status(sub, text)};
    }
};

TEST(CutBitRate, TakesTheRateFromABufferingText) {
    struct Case {
        const char* status;
        const char* rate;
    };
    for (const Case& c : {Case{"Buffering 8 Kbps", "8"}, Case{"Buffering 64 Kbps stream", "64"},
                          Case{"Buffering 128 Kbps", "128"}, Case{"Buffering", ""}, Case{"Playing", ""},
                          Case{"Kbps", ""}, Case{"", ""}}) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(CutBitRate(c.status), c.rate);
    }
}

TEST_F(RealAudioFixture, NotificationsKeepTheTextsAndTheEndStops) {
    CRealAudio ra;
    ASSERT_TRUE(ra.Setup(Rmf()));
    EXPECT_EQ(ra.BitRateText(), "");
    char text[16];
    EXPECT_EQ(ra.GetData(HMA_DATA_BITRATE, text, sizeof text), 1) << "answered while empty";
    EXPECT_STREQ(text, "");

    ra.Handle(Status(kStatusContacting, "Contacting tone.rmf"));
    EXPECT_EQ(ra.StatusText(), "Contacting tone.rmf");
    ra.Handle(Status(kStatusBuffering, "Buffering 8 Kbps"));
    EXPECT_EQ(ra.BitRateText(), "8");
    EXPECT_EQ(ra.ClipAttribute(0), "Tone") << "the clip's attributes are asked for";
    EXPECT_EQ(ra.ClipAttribute(1), "Zanto tests");
    ra.Handle(Status(kStatusPlaying, "Playing"));
    EXPECT_EQ(ra.StatusText(), "Playing");
    ra.Handle({kNotifyMessage + 1, NotifyRecord::Status(kStatusPlaying, "other message")});
    ra.Handle(Status(99, "unknown"));
    EXPECT_EQ(ra.StatusText(), "Playing") << "other messages and sub-codes change nothing";

    ASSERT_EQ(ra.Play(true), kCodeNone);
    EXPECT_EQ(ra.State(), HMA_STATE_PLAYING);
    ra.Handle(Status(kStatusClipEnded, "Clip ended"));
    EXPECT_EQ(ra.State(), HMA_STATE_STOPPED);
    EXPECT_EQ(ra.StatusText(), "Clip ended");
    EXPECT_TRUE(g_shown.empty());
}

TEST_F(RealAudioFixture, ErrorNotificationsShowTheirTextUnlessTheyMeanSuccess) {
    CRealAudio ra;
    ASSERT_TRUE(ra.Setup(Rmf()));
    for (uint8_t ok : {uint8_t(0), uint8_t(kRaResultAlready)})
        ra.Handle({kNotifyMessage, NotifyRecord::Error(ok)});
    EXPECT_TRUE(g_shown.empty());
    ra.Handle({kNotifyMessage, NotifyRecord::Error(kRaErrDecode)});
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].first, "Error #8 - The clip could not be decoded");
    EXPECT_EQ(g_shown[0].second, "Error");
}

TEST_F(RealAudioFixture, SetupFailsForClipsTheEngineCannotOpen) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* error;
    };
    for (const Case& c : {Case{"missing.ra", {}, "Error #4 - The clip file cannot be opened"},
                          Case{"junk.ra", {'.', 'r', 'a', 'x', 1, 2, 3}, "Error #5 - The file is not a playable RealAudio clip"},
                          Case{"wave.rmf", WaveFile(1, 1, 8000, 16, Bytes(1600, 0)),
                               "Error #5 - The file is not a playable RealAudio clip"}}) {
        SCOPED_TRACE(c.name);
        std::string path = dir / c.name;
        if (!c.bytes.empty()) {
            ASSERT_TRUE(WriteFile(path, c.bytes));
        }
        CRealAudio ra;
        EXPECT_FALSE(ra.Setup(path));
        EXPECT_EQ(ra.ErrorText(), c.error);
    }
    EXPECT_TRUE(g_shown.empty()) << "set-up failures are not shown";

    // Asking a player without a clip for its duration shows the engine's error and answers -1.
    CRealAudio none;
    EXPECT_EQ(none.Duration(), -1);
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].first, "Error #1 - Invalid client handle");
    EXPECT_EQ(g_shown[0].second, "Error");
}

TEST_F(RealAudioFixture, PlaysToTheEndAndReportsIt) {
    CRealAudio ra;
    ASSERT_TRUE(ra.Setup(Rmf(1.0)));
    const int32_t duration = ra.Duration();
    EXPECT_NEAR(duration, 1000, 40);
    ASSERT_EQ(ra.Play(true), kCodeNone);
    ra.Drain();
    EXPECT_EQ(ra.BitRateText(), "8");
    ASSERT_TRUE(WaitFor([&] {
        ra.Drain();
        return ra.State() == HMA_STATE_STOPPED;
    }));
    EXPECT_EQ(ra.StatusText(), "Clip ended");
    EXPECT_EQ(ra.Position(), duration) << "the end stays the position after the stop";
    EXPECT_TRUE(g_shown.empty());

    // Begun again, the clip plays from its start.
    ASSERT_EQ(ra.Play(true), kCodeNone);
    EXPECT_LT(ra.Position(), duration);
    ra.Stop();
}

}  // namespace
