#include "plugins/cdtrack/CdTrackPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/cd/CDTmsf.h"
#include "common/cd/tests/FakeSink.h"
#include "common/stream/MediaFileStream.h"
#include "common/testing/ScopedVariable.h"
#include "common/testing/WaitFor.h"
#include "plugins/cdtrack/tests/CdTrackFixture.h"
#include "plugins/contract/HmaPlugin.h"

namespace cdtrack {
namespace {

using zanto::cd::MakeTmsf;
using zanto::testkit::LeftSampleOf;

// A card with a CD input line and a wave-output line.
class TwoLineMixer final : public zanto::MixerBackend {
public:
    bool present = true;
    std::vector<uint32_t> values{40000, 40000};    // wave output
    std::vector<uint32_t> cdValues{30000, 30000};  // analogue CD input
    std::unique_ptr<zanto::MixerControl> OpenControl(uint32_t type, uint32_t) override {
        if (!present) return nullptr;
        if (type == zanto::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT) {
            return std::make_unique<Control>(values);
        }
        if (type == zanto::MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC) {
            return std::make_unique<Control>(cdValues);
        }
        return nullptr;
    }

private:
    struct Control final : zanto::MixerControl {
        explicit Control(std::vector<uint32_t>& v) : values(v) {}
        int Channels() const override { return static_cast<int>(values.size()); }
        bool Read(std::vector<uint32_t>& out) override {
            out = values;
            return true;
        }
        int Write(const std::vector<uint32_t>& in) override {
            values = in;
            return 0;
        }
        std::vector<uint32_t>& values;
    };
};

class CdTrackPlayerTest : public ::testing::Test {
protected:
    CdTrackPlayerTest() : sink_(588 * 4), mixer_(std::make_shared<TwoLineMixer>()) {}

    std::unique_ptr<CdTrackPlayer> OpenTrack(int track, std::string image = {}) {
        if (image.empty()) image = fixture_.image.cue;
        PlayerParts parts;
        parts.clock = &clock_;
        parts.makeDrive = [this, image] {
            return std::make_unique<CCDDevice>(clock_, image, sink_.Factory(),
                                               fixture_.dir / "MxAudio");
        };
        parts.mixer = mixer_;
        auto player = std::make_unique<CdTrackPlayer>(parts);
        CMediaFileStream stream;
        EXPECT_NE(stream.Open(fixture_.TrackFile(track).c_str()), 0);
        EXPECT_TRUE(player->Open(stream));
        return player;
    }

    void Hear(int sectors) {
        for (int i = 0; i < sectors; ++i) {
            ASSERT_TRUE(zanto::testkit::WaitFor([&] { return sink_.QueuedFrames() >= 588; }));
            ASSERT_EQ(sink_.Consume(588), 588u);
        }
    }

    // True when nobody holds the drive lock.
    bool DriveFree() {
        CCDDevice other(clock_, fixture_.image.cue, sink_.Factory(), fixture_.dir / "MxAudio");
        return other.Open(0) == 1;
    }

    testing::CdFixture fixture_;
    zanto::FakeClock clock_;
    zanto::cd::testing::FakeSinkState sink_;
    std::shared_ptr<TwoLineMixer> mixer_;
};

// From Open to the end of the track: the drive plays on into the next track, the watch notices
// and ends the item, which then reports state 0 and its whole length.
TEST_F(CdTrackPlayerTest, StatesFromOpenToTheEndOfTheTrack) {
    auto player = OpenTrack(2);
    EXPECT_EQ(player->State(), HMA_STATE_PLAYING);  // opened, never played
    EXPECT_EQ(player->Position(), 0);
    EXPECT_EQ(player->Duration(), 2000);  // 2 s 50 frames, from the track file
    EXPECT_TRUE(DriveFree());

    player->Play();
    EXPECT_GE(clock_.TotalSlept(), CdTrackPlayer::kSettleTime);
    EXPECT_EQ(player->State(), HMA_STATE_PLAYING);
    EXPECT_FALSE(DriveFree());
    Hear(150);
    EXPECT_EQ(player->Position(), 2000);
    EXPECT_EQ(player->Duration(), 2000);  // now from the drive
    Hear(50);
    // Once the host sees state 0 the position is the whole length: the end of the item.
    ASSERT_TRUE(zanto::testkit::WaitFor([&] { return player->State() == HMA_STATE_STOPPED; }));
    EXPECT_EQ(player->Position(), 2000);
    EXPECT_EQ(player->PlayStateForTest(), kStopped);
    EXPECT_TRUE(zanto::testkit::WaitFor([&] { return DriveFree(); }));
    EXPECT_EQ(player->Position(), 2000);

    // Only this track was heard, from its first sample on.
    std::vector<int16_t> expected;
    zanto::testkit::AppendExpectedSamples(expected, 100, 300);
    EXPECT_TRUE(sink_.Heard() == expected);
}

TEST_F(CdTrackPlayerTest, PauseAndResumeAtThePausedPosition) {
    auto player = OpenTrack(2);
    player->Play();
    Hear(155);  // 0:02:05 into track 2
    player->Pause();
    EXPECT_EQ(player->State(), HMA_STATE_PAUSED);
    EXPECT_EQ(player->Position(), 2000);
    EXPECT_EQ(player->ResumeForTest(), MakeTmsf(2, 0, 2, 5));
    EXPECT_TRUE(DriveFree());  // a paused track lets the CD window have the drive

    const size_t before = sink_.Heard().size();
    player->Play();
    EXPECT_EQ(sink_.Opened(), 2);
    Hear(1);
    const std::vector<int16_t> heard = sink_.Heard();
    ASSERT_GT(heard.size(), before);
    EXPECT_EQ(heard[before], LeftSampleOf(100 + 155));
    EXPECT_EQ(player->State(), HMA_STATE_PLAYING);

    player->Stop();
    ASSERT_TRUE(zanto::testkit::WaitFor([&] { return DriveFree(); }));
    EXPECT_EQ(player->ResumeForTest(), 2u);  // the start of the track again
    EXPECT_EQ(player->State(), HMA_STATE_STOPPED);
    // Pause with no play thread does nothing.
    player->Pause();
    EXPECT_EQ(player->PlayStateForTest(), kStopped);
}

TEST_F(CdTrackPlayerTest, SecondPlayWhileThreadRunsDoesNothing) {
    auto player = OpenTrack(1);
    player->Play();
    Hear(2);
    player->Play();
    EXPECT_EQ(sink_.Opened(), 1);
    Hear(1);
    EXPECT_EQ(sink_.Heard().size(), 3u * 588 * 2);
}

TEST_F(CdTrackPlayerTest, SetPosPlaysFromThereOnlyWhileTheThreadHoldsTheDrive) {
    auto player = OpenTrack(2);
    player->SetPos(1000);
    EXPECT_EQ(sink_.Opened(), 0);
    player->Play();
    Hear(1);
    player->SetPos(1000);
    const size_t before = sink_.Heard().size();
    Hear(1);
    EXPECT_EQ(sink_.Heard()[before], LeftSampleOf(100 + 75));
    EXPECT_EQ(player->Position(), 1000);
    player->SetPos(-50);  // taken as the start
    const size_t again = sink_.Heard().size();
    Hear(1);
    EXPECT_EQ(sink_.Heard()[again], LeftSampleOf(100));
}

// Without a drive the thread ends at once; the track reports state 0 and its whole length, so
// the host moves on.
TEST_F(CdTrackPlayerTest, NoDriveEndsTheItem) {
    auto player = OpenTrack(2, fixture_.dir / "missing.cue");
    player->Play();
    ASSERT_TRUE(zanto::testkit::WaitFor([&] { return player->PlayStateForTest() == kStopped; }));
    EXPECT_EQ(player->State(), HMA_STATE_STOPPED);
    EXPECT_EQ(player->Position(), 2000);
    EXPECT_EQ(sink_.Opened(), 0);
}

TEST_F(CdTrackPlayerTest, TitleFromTheTrackCache) {
    struct Case {
        const char* name;
        bool cache;
        int track;
        int32_t size;
        int32_t result;
        const char* text;
    };
    const Case cases[] = {
        {"named", true, 2, 512, 11, "Second Song"},
        {"last track", true, 4, 512, 9, "Last Song"},
        {"exact fit", true, 2, 12, 11, "Second Song"},
        {"one byte short", true, 2, 11, 0, "untouched"},
        {"no cache entry", false, 2, 512, 0, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = c.cache ? fixture_.Cache() : fixture_.dir / "none.ini";
        zanto::testkit::ScopedVariable cache("ZANTO_CDPLAYER_INI", ini);
        auto player = OpenTrack(c.track);
        char buffer[512];
        std::strcpy(buffer, "untouched");
        EXPECT_EQ(player->GetData(HMA_DATA_TITLE, buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.text);
    }
}

// The digitally read sound goes through the wave output, so that line carries the volume; the
// card's analogue CD input is left alone.
TEST_F(CdTrackPlayerTest, VolumeThroughTheWaveOutputLine) {
    auto player = OpenTrack(1);
    int32_t volume = -1;
    EXPECT_EQ(player->GetData(HMA_DATA_VOLUME, &volume, 4), 1);
    EXPECT_EQ(volume, 55);
    int32_t full = 100;
    EXPECT_EQ(player->SetData(HMA_DATA_VOLUME, &full, 4), 1);
    EXPECT_EQ(mixer_->values, (std::vector<uint32_t>{65534, 65534}));
    EXPECT_EQ(mixer_->cdValues, (std::vector<uint32_t>{30000, 30000}));
    EXPECT_EQ(player->GetData(HMA_DATA_VOLUME, &volume, 4), 1);
    EXPECT_EQ(volume, 111);
    EXPECT_EQ(player->SetData(HMA_DATA_VOLUME, &full, 2), 0);  // too small to hold a volume
    EXPECT_EQ(player->SetData(HMA_DATA_SAMPLERATE, &full, 4), 1);

    mixer_->present = false;
    auto without = OpenTrack(1);
    EXPECT_EQ(without->GetData(HMA_DATA_VOLUME, &volume, 4), 0);
    EXPECT_EQ(without->SetData(HMA_DATA_VOLUME, &full, 4), 0);
}

TEST_F(CdTrackPlayerTest, DataCodes) {
    auto player = OpenTrack(1);
    struct Case {
        int32_t code;
        int32_t result;
        const char* text;
    };
    const Case cases[] = {
        {HMA_DATA_TYPE, 1, "CD"},
        {HMA_DATA_FILTER, 1, "CD Audio (*.cda)|*.cda|"},
        {HMA_DATA_NAME, 1, "Audio CD Player"},
        {HMA_DATA_FORMAT, 0, "untouched"},
        {HMA_DATA_SAMPLERATE, 0, "untouched"},
        {HMA_DATA_BITRATE, 0, "untouched"},
        {HMA_DATA_STEREO, 0, "untouched"},
        {0, 0, "untouched"},
        {10, 0, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char buffer[256];
        std::strcpy(buffer, "untouched");
        EXPECT_EQ(player->GetData(c.code, buffer, sizeof buffer), c.result);
        EXPECT_STREQ(buffer, c.text);
    }
}

}  // namespace
}  // namespace cdtrack
