// The player object against a scripted engine: what each export sends and how each notification
// changes the fields the exports answer from.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "common/testing/MpegFixtures.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/TextAnswers.h"
#include "plugins/mpegaud/Player.h"

using namespace mpegaud;

namespace {

using Sent = std::tuple<int32_t, int32_t, int32_t, int32_t>;

struct FakeEngine : Engine {
    std::vector<Sent>* sent;
    Mailbox mailbox;
    bool* freed;
    bool answerExit = true;
    FakeEngine(std::vector<Sent>* s, bool* f) : sent(s), freed(f) {}
    int32_t Send(int32_t c, int32_t a, int32_t b, int32_t d) override {
        sent->emplace_back(c, a, b, d);
        if (c == kCommandExit && answerExit) mailbox.Post({kNotifyExited, {}});
        return 0;
    }
    int32_t SendOpenInput(const std::string& path) override { return path == "ok" ? 0 : 1; }
    Mailbox& Notifications() override { return mailbox; }
    void Free() override { *freed = true; }
};

struct MpegPlayerTest : testing::Test {
    std::vector<Sent> sent;
    bool freed = false;
    FakeEngine* engine = new FakeEngine(&sent, &freed);
    Player player{std::unique_ptr<Engine>(engine)};

    void Notify(uint32_t message, int32_t w1 = 0, int32_t w2 = 0, int32_t w3 = 0) {
        engine->mailbox.Post({message, {0, w1, w2, w3}});
    }
};

TEST_F(MpegPlayerTest, NotificationsKeepTheFieldsTheExportsAnswer) {
    EXPECT_EQ(player.Duration(), -1);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.Volume(), 77);
    EXPECT_EQ(player.State(), HMA_STATE_STOPPED);

    Notify(kNotifyDuration, 183);
    EXPECT_EQ(player.Duration(), -1) << "fields change only when the mailbox is drained";
    player.Drain();
    EXPECT_EQ(player.Duration(), 183000);

    struct Step {
        uint32_t message;
        int32_t w1, w2, w3;
        int32_t position, state, volume;
    } steps[] = {
        {kNotifyState, kEnginePlaying, 0, 0, 0, HMA_STATE_PLAYING, 77},
        {kNotifyTimecode, 0, 1, 2, 62000, HMA_STATE_PLAYING, 77},
        {kNotifyTimecode, 1, 2, 3, 3723000, HMA_STATE_PLAYING, 77},
        {kNotifyState, kEnginePaused, 0, 0, 3723000, HMA_STATE_PAUSED, 77},
        {kNotifyVolume, 50, 41, 3, 3723000, HMA_STATE_PAUSED, 42},
        {kNotifyVolume, 50, -1, 3, 3723000, HMA_STATE_PAUSED, 0},
        {kNotifyState, kEngineFailed, 0, 0, 3723000, HMA_STATE_ERROR, 0},
        {kNotifyState, 7, 0, 0, 3723000, HMA_STATE_STOPPED, 0},
        {0x9999, 5, 5, 5, 3723000, HMA_STATE_STOPPED, 0},
        {kNotifyState, kEngineEndOfInput, 0, 0, 183000, HMA_STATE_STOPPED, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << s.message << std::dec << " " << s.w1);
        Notify(s.message, s.w1, s.w2, s.w3);
        player.Drain();
        EXPECT_EQ(player.Position(), s.position);
        EXPECT_EQ(player.State(), s.state);
        EXPECT_EQ(player.Volume(), s.volume);
    }
}

TEST_F(MpegPlayerTest, EndOfInputBeforeTheDurationIsKnownLeavesPositionUnknown) {
    Notify(kNotifyState, kEngineEndOfInput);
    player.Drain();
    EXPECT_EQ(player.Position(), -1);
    EXPECT_EQ(player.State(), HMA_STATE_STOPPED);
}

TEST_F(MpegPlayerTest, CommandsSentByTheExports) {
    player.Stop();
    EXPECT_TRUE(sent.empty()) << "Stop with engine state 0 sends nothing";

    player.Play();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], Sent(kCommandPlay, 0, 0, 0));
    EXPECT_EQ(sent[1], Sent(kCommandOutputVolume, 50, 77, 3));

    Notify(kNotifyDuration, 10);
    Notify(kNotifyState, kEnginePlaying);
    player.Drain();
    sent.clear();
    player.SetPos(4500);
    EXPECT_EQ(player.Position(), 4500) << "kept at once";
    player.Pause();
    player.Stop();
    EXPECT_EQ(player.EngineState(), 0);
    player.Stop();
    std::vector<Sent> want = {{kCommandSeek, 4500, 10000, 0}, {kCommandPause, 0, 0, 0},
                              {kCommandStop, 0, 0, 0}};
    EXPECT_EQ(sent, want);
}

TEST_F(MpegPlayerTest, VolumeIsClampedSentAndKept) {
    struct Case {
        int32_t code, value, size, result, kept;
        bool sends;
    } cases[] = {
        {HMA_DATA_VOLUME, 30, 4, 1, 30, true},  {HMA_DATA_VOLUME, 150, 4, 1, 100, true},
        {HMA_DATA_VOLUME, -5, 4, 1, 0, true},   {HMA_DATA_VOLUME, 60, 2, 0, 0, false},
        {HMA_DATA_TITLE, 20, 4, 1, 0, false},   {0, 20, 4, 1, 0, false},
        {99, 20, 4, 1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.value);
        sent.clear();
        int32_t v = c.value;
        EXPECT_EQ(player.SetData(c.code, &v, c.size), c.result);
        EXPECT_EQ(player.Volume(), c.kept);
        EXPECT_EQ(sent.size(), c.sends ? 1u : 0u);
        if (c.sends) {
            EXPECT_EQ(sent[0], Sent(kCommandOutputVolume, 50, c.kept, 3));
        }
    }
    EXPECT_EQ(player.SetData(HMA_DATA_VOLUME, nullptr, 4), 0);
}

TEST_F(MpegPlayerTest, ShutdownStopsEndsTheThreadAndIgnoresVolumeOnTheWay) {
    Notify(kNotifyState, kEnginePlaying);
    player.Drain();
    Notify(kNotifyTimecode, 0, 0, 9);
    Notify(kNotifyVolume, 50, 10, 3);
    player.Shutdown();
    std::vector<Sent> want = {{kCommandStop, 0, 0, 0}, {kCommandExit, 0, 0, 0}};
    EXPECT_EQ(sent, want);
    EXPECT_TRUE(freed);
    EXPECT_EQ(player.Position(), 9000);
    EXPECT_EQ(player.Volume(), 77);
    player.Shutdown();
    EXPECT_EQ(sent.size(), 2u) << "a second shutdown sends nothing";
}

struct DataCase {
    uint32_t header;
    const char* rate;
    const char* kbps;
    const char* type;
    int32_t stereo;
};

TEST_F(MpegPlayerTest, AnswersFromTheFirstFrameHeader) {
    const DataCase cases[] = {
        {zanto::testkit::kMp3Header, "44.1", "128", "MP3", 1},  // MPEG-1 Layer III joint stereo
        {zanto::testkit::kMpeg2Header, "22.0", "64", "MPEG", 0},  // MPEG-2 Layer III mono
        {0xFFFDA400, "48", "192", "MP2", 1},             // MPEG-1 Layer II, 48 kHz
        {0xFFFF90C0, "44.1", "288", "MPEG", 0},          // MPEG-1 Layer I mono
        {0xFFFB9880, "32", "128", "MP3", 1},             // MPEG-1 Layer III 32 kHz dual channel
    };
    for (const DataCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.header);
        player.TakeHeader(c.header);
        char text[64];
        ASSERT_EQ(player.GetData(HMA_DATA_SAMPLERATE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.rate);
        ASSERT_EQ(player.GetData(HMA_DATA_BITRATE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.kbps);
        ASSERT_EQ(player.GetData(HMA_DATA_TYPE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.type);
        int32_t stereo = -1;
        ASSERT_EQ(player.GetData(HMA_DATA_STEREO, &stereo, 4), 1);
        EXPECT_EQ(stereo, c.stereo);
    }
}

TEST_F(MpegPlayerTest, TextAnswersNeedRoomForTheNul) {
    player.TakeHeader(zanto::testkit::kMp3Header);
    struct Case {
        int32_t code;
        const char* text;
        int32_t fits;  // smallest size that is answered
    } cases[] = {
        {HMA_DATA_SAMPLERATE, "44.1", 5},
        {HMA_DATA_BITRATE, "128", 4},
        {HMA_DATA_TYPE, "MP3", 5},  // the type always needs five bytes
        {HMA_DATA_FILTER, kFilterText, int32_t(std::strlen(kFilterText)) + 1},
        {HMA_DATA_NAME, kNameText, int32_t(std::strlen(kNameText)) + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(player.GetData(c.code, buffer, c.fits - 1), 0);
        EXPECT_EQ(buffer[0], 'x') << "nothing written when it does not fit";
        EXPECT_EQ(player.GetData(c.code, buffer, c.fits), 1);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(player.GetData(c.code, nullptr, 64), 0);
    }
    for (int32_t code : std::initializer_list<int32_t>{0, HMA_DATA_FORMAT, HMA_DATA_TITLE, 10, -1, 1000}) {
        char buffer[64] = "untouched";
        EXPECT_EQ(player.GetData(code, buffer, sizeof buffer), 0) << code;
        EXPECT_STREQ(buffer, "untouched");
    }
    int32_t v = 0;
    EXPECT_EQ(player.GetData(HMA_DATA_VOLUME, &v, 3), 0);
    EXPECT_EQ(player.GetData(HMA_DATA_VOLUME, &v, 4), 1);
    EXPECT_EQ(v, 77);
}

TEST(MpegSampleRateTextTest, WholeKilohertzOrOneDecimal) {
    struct Case {
        uint32_t hz;
        const char* text;
    } cases[] = {{44100, "44.1"}, {22050, "22.0"}, {48000, "48"}, {11025, "11.0"},
                 {8000, "8"},     {1, "0.0"},      {0, "0"},      {32000, "32"}};
    for (const Case& c : cases) EXPECT_EQ(hma::SampleRateText(c.hz), c.text) << c.hz;
}

}  // namespace
