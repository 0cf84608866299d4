#include "common/cd/CDDevice.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <fstream>
#include <iterator>

#include "common/Settings.h"
#include "common/cd/CDDiscNames.h"
#include "common/cd/CDTmsf.h"
#include "common/cd/tests/FakeSink.h"
#include "common/testing/DiscImage.h"
#include "common/testing/ScopedVariable.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

namespace zanto::cd {
namespace {

using testkit::ImageTrack;

constexpr uint32_t Msf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }

// Four tracks: two audio, a data track, one more audio track. LSNs 0, 100, 300, 320; lead-out 345.
const std::vector<ImageTrack> kLayout = {{true, 100}, {true, 200}, {false, 20}, {true, 25}};

class CDDeviceTest : public ::testing::Test {
protected:
    CDDeviceTest() : image_(testkit::WriteDiscImage(dir_.Path(), kLayout)), sink_(588 * 4) {}

    std::unique_ptr<CCDDevice> MakeDevice(std::string source = {}) {
        return std::make_unique<CCDDevice>(clock_, source.empty() ? image_.cue : source,
                                           sink_.Factory(), dir_ / "MxAudio");
    }

    // Lets the listener hear the next whole sectors as the play thread sends them.
    void Hear(int sectors) {
        for (int i = 0; i < sectors; ++i) {
            ASSERT_TRUE(testkit::WaitFor([&] { return sink_.QueuedFrames() >= 588; }))
                << "sector " << i << " never came";
            ASSERT_EQ(sink_.Consume(588), 588u);
        }
    }

    static uint32_t Position(CCDDevice& device) {
        uint32_t tmsf = 0xFFFFFFFF;
        EXPECT_EQ(device.GetPosition(tmsf), 1);
        return tmsf;
    }

    testkit::TempDir dir_;
    FakeClock clock_;
    testkit::DiscImage image_;
    testing::FakeSinkState sink_;
};

TEST_F(CDDeviceTest, TableOfContentsAndIdentity) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(10), 1);
    EXPECT_EQ(device->IsMediaPresent(), 1);
    CDDiscInfo disc;
    ASSERT_EQ(device->GetDiscInfo(disc), 1);
    EXPECT_EQ(disc.trackCount, 4);
    EXPECT_EQ(disc.firstTrackStart, Msf(0, 2, 0));
    EXPECT_EQ(disc.totalLength, Msf(0, 4, 45));
    // Starts at 2, 3, 6 and 6 s (digit sums 17), lead-out at 6 s: length 4 s, 4 tracks.
    EXPECT_EQ(disc.discId, 0x11000404u);

    struct TrackCase {
        int track;
        int audio;
        int infoResult;
        uint32_t start;
        uint32_t length;
    };
    const TrackCase cases[] = {
        {1, 1, 1, Msf(0, 2, 0), Msf(0, 1, 25)},  {2, 1, 1, Msf(0, 3, 25), Msf(0, 2, 50)},
        {3, 0, 1, Msf(0, 6, 0), Msf(0, 0, 20)},  {4, 1, 1, Msf(0, 6, 20), Msf(0, 0, 25)},
        {5, -1, 0, 0, 0},                        {0, -1, 0, 0, 0},
    };
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(c.track);
        EXPECT_EQ(device->IsAudioTrack(c.track), c.audio);
        CDTrackInfo info;
        EXPECT_EQ(device->GetTrackInfo(c.track, info), c.infoResult);
        if (c.infoResult) {
            EXPECT_EQ(info.start, c.start);
            EXPECT_EQ(info.length, c.length);
        } else {
            EXPECT_EQ(device->GetLastError(), kCdNoSuchTrack);
        }
    }
}

TEST_F(CDDeviceTest, SameDiscSameIdentityOtherDiscAnother) {
    testkit::TempDir other;
    const auto same = testkit::WriteDiscImage(other.Path(), kLayout, "same");
    const auto longer = testkit::WriteDiscImage(other.Path(), {{true, 100}, {true, 300}}, "longer");
    auto identity = [&](const std::string& cue) {
        auto device = MakeDevice(cue);
        CDDiscInfo disc;
        EXPECT_EQ(device->Open(10), 1);
        EXPECT_EQ(device->GetDiscInfo(disc), 1);
        return disc.discId;
    };
    EXPECT_EQ(identity(same.cue), identity(image_.cue));
    EXPECT_NE(identity(longer.cue), identity(image_.cue));
}

// Play goes on across track boundaries, over the data track and to the end of the disc; the
// position and the samples are those of what is heard.
TEST_F(CDDeviceTest, PlaysWhatIsHeardAcrossTracksToTheEnd) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(10), 1);
    EXPECT_EQ(device->GetMode(), kCdModeStopped);
    EXPECT_EQ(Position(*device), MakeTmsf(1, 0, 0, 0));

    ASSERT_EQ(device->Play(MakeTmsf(1, 0, 1, 15)), 1);  // LSN 90
    EXPECT_EQ(device->GetMode(), kCdModePlaying);
    EXPECT_EQ(Position(*device), MakeTmsf(1, 0, 1, 15));
    Hear(9);
    EXPECT_EQ(Position(*device), MakeTmsf(1, 0, 1, 24));
    Hear(1);
    EXPECT_EQ(Position(*device), MakeTmsf(2, 0, 0, 0));  // the track number changes
    Hear(199);
    EXPECT_EQ(Position(*device), MakeTmsf(2, 0, 2, 49));
    Hear(1 + 5);  // the data track is passed over
    EXPECT_EQ(Position(*device), MakeTmsf(4, 0, 0, 5));
    EXPECT_EQ(device->GetMode(), kCdModePlaying);
    Hear(20);
    ASSERT_TRUE(testkit::WaitFor([&] { return device->GetMode() == kCdModeStopped; }));
    EXPECT_TRUE(sink_.EndOfInput());
    EXPECT_EQ(Position(*device), MakeTmsf(4, 0, 0, 25));

    std::vector<int16_t> expected;
    testkit::AppendExpectedSamples(expected, 90, 300);
    testkit::AppendExpectedSamples(expected, 320, 345);
    EXPECT_TRUE(sink_.Heard() == expected) << "heard " << sink_.Heard().size() / 2 << " frames";
}

TEST_F(CDDeviceTest, StopKeepsThePositionAndPlayStartsAnew) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(10), 1);
    ASSERT_EQ(device->Play(MakeTmsf(2, 0, 2, 0)), 1);  // LSN 250
    Hear(3);
    ASSERT_EQ(device->Stop(), 1);
    EXPECT_EQ(device->GetMode(), kCdModeStopped);
    EXPECT_EQ(Position(*device), MakeTmsf(2, 0, 2, 3));
    ASSERT_EQ(device->Play(MakeTmsf(4, 0, 0, 20)), 1);  // LSN 340
    EXPECT_EQ(sink_.Opened(), 2);
    Hear(2);
    EXPECT_EQ(Position(*device), MakeTmsf(4, 0, 0, 22));
    // Play again while playing restarts from the new position.
    ASSERT_EQ(device->Play(MakeTmsf(1, 0, 0, 0)), 1);
    Hear(1);
    EXPECT_EQ(Position(*device), MakeTmsf(1, 0, 0, 1));
    EXPECT_EQ(device->Close(), 1);
    EXPECT_FALSE(device->IsOpen());
}

TEST_F(CDDeviceTest, PlayRefusals) {
    struct Case {
        const char* name;
        uint32_t tmsf;
        bool outputFails;
        uint32_t error;
    };
    const Case cases[] = {
        {"data track", MakeTmsf(3, 0, 0, 0), false, kCdNotAudio},
        {"no such track", MakeTmsf(9, 0, 0, 0), false, kCdNoSuchTrack},
        {"track zero", MakeTmsf(0, 0, 0, 0), false, kCdNoSuchTrack},
        {"past the track's end", MakeTmsf(1, 0, 1, 25), false, kCdBadPosition},
        {"minutes past the end", MakeTmsf(4, 3, 0, 0), false, kCdBadPosition},
        {"no sound output", MakeTmsf(1, 0, 0, 0), true, kCdNoOutput},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.FailOpen(c.outputFails);
        auto device = MakeDevice();
        ASSERT_EQ(device->Open(10), 1);
        EXPECT_EQ(device->Play(c.tmsf), 0);
        EXPECT_EQ(device->GetLastError(), c.error);
        EXPECT_EQ(device->GetMode(), kCdModeStopped);
    }
}

TEST_F(CDDeviceTest, ClosedObjectAnswersFailureValues) {
    auto device = MakeDevice();
    EXPECT_EQ(device->Close(), 1);
    EXPECT_EQ(device->Close(), 1);
    CDDiscInfo disc;
    CDTrackInfo track;
    uint32_t tmsf = 77;
    EXPECT_EQ(device->IsMediaPresent(), 0);
    EXPECT_EQ(device->IsAudioTrack(1), -1);
    EXPECT_EQ(device->GetDiscInfo(disc), 0);
    EXPECT_EQ(device->GetTrackInfo(1, track), 0);
    EXPECT_EQ(device->GetPosition(tmsf), 0);
    EXPECT_EQ(tmsf, 77u);
    EXPECT_EQ(device->Play(MakeTmsf(1, 0, 0, 0)), 0);
    EXPECT_EQ(device->Stop(), 0);
    EXPECT_EQ(device->GetMode(), kCdModeNotReady);
    EXPECT_EQ(device->ToggleDoor(), 0);
    EXPECT_EQ(sink_.Opened(), 0);
}

TEST_F(CDDeviceTest, OpenFailureLeavesTheDriveFree) {
    const std::string sources[] = {dir_ / "missing.cue", dir_ / "missing.toc",
                                   dir_ / "no-such-device"};
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        auto broken = MakeDevice(source);
        EXPECT_EQ(broken->Open(10), 0);
        EXPECT_EQ(broken->GetLastError(), kCdNoDrive);
        EXPECT_FALSE(broken->IsOpen());
        EXPECT_EQ(broken->GetMode(), kCdModeNotReady);
        auto good = MakeDevice();
        EXPECT_EQ(good->Open(0), 1);  // the failed Open let go of the drive lock
    }
}

// The drive lock between two objects: the second gives way after its 10 ms, and gets the drive
// once the first has closed it.
TEST_F(CDDeviceTest, TwoObjectsShareTheDriveLock) {
    auto player = MakeDevice();
    auto window = MakeDevice();
    ASSERT_EQ(player->Open(CCDDevice::kWaitForever), 1);
    const auto before = clock_.TotalSlept();
    EXPECT_EQ(window->Open(10), 0);
    EXPECT_EQ(clock_.TotalSlept() - before, std::chrono::milliseconds(10));
    EXPECT_EQ(window->GetLastError(), kCdDriveBusy);
    EXPECT_FALSE(window->IsOpen());
    EXPECT_EQ(window->IsAudioTrack(1), -1);
    // An unlimited wait that is called off gives up without the drive.
    int asked = 0;
    EXPECT_EQ(window->Open(CCDDevice::kWaitForever, [&] { return ++asked == 5; }), 0);
    EXPECT_EQ(asked, 5);
    ASSERT_EQ(player->Close(), 1);
    EXPECT_EQ(window->Open(10), 1);
    // Open on an open object closes it first and opens again.
    EXPECT_EQ(window->Open(10), 1);
    EXPECT_EQ(player->Open(0), 0);
}

TEST_F(CDDeviceTest, ToggleDoorOfAnImageSucceedsAndChangesNothing) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(10), 1);
    EXPECT_EQ(device->ToggleDoor(), 1);
    EXPECT_EQ(device->IsMediaPresent(), 1);
    EXPECT_EQ(device->ToggleDoor(), 1);
}

TEST_F(CDDeviceTest, DriveSelection) {
    testkit::TempDir other;
    const auto fromSetting = testkit::WriteDiscImage(other.Path(), {{true, 80}}, "setting");
    const auto fromVariable = testkit::WriteDiscImage(other.Path(), {{true, 90}, {true, 9}}, "var");
    testkit::ScopedVariable settings("ZANTO_SETTINGS", other / "settings.reg");
    ASSERT_TRUE(WriteTextSetting(kSettingsKey, kCdDeviceSetting, fromSetting.cue));
    {
        testkit::ScopedVariable none("ZANTO_CD_DEVICE", "");
        EXPECT_EQ(SelectedCdSource(), fromSetting.cue);
    }
    testkit::ScopedVariable variable("ZANTO_CD_DEVICE", fromVariable.cue);
    EXPECT_EQ(SelectedCdSource(), fromVariable.cue);

    CCDDevice device(clock_, {}, sink_.Factory(), dir_ / "MxAudio");
    ASSERT_EQ(device.Open(10), 1);
    CDDiscInfo disc;
    ASSERT_EQ(device.GetDiscInfo(disc), 1);
    EXPECT_EQ(disc.trackCount, 2);
}

// The whole path through the common sound output: the disk driver writes what the device takes,
// which must be exactly the disc's samples from the start position on, data track left out.
TEST_F(CDDeviceTest, DigitalPlayThroughTheSoundOutput) {
    const std::string out = dir_ / "heard.raw";
    testkit::ScopedVariable driver("SDL_AUDIODRIVER", "disk");
    testkit::ScopedVariable outFile("SDL_DISKAUDIOFILE", out);
    testkit::ScopedVariable delay("SDL_DISKAUDIODELAY", "0");
    {
        CCDDevice device(clock_, image_.cue, DefaultSinkFactory(), dir_ / "MxAudio");
        ASSERT_EQ(device.Open(10), 1);
        ASSERT_EQ(device.Play(MakeTmsf(2, 0, 0, 0)), 1);
        ASSERT_TRUE(testkit::WaitFor([&] { return device.GetMode() == kCdModeStopped; }));
        uint32_t tmsf = 0;
        ASSERT_EQ(device.GetPosition(tmsf), 1);
        EXPECT_EQ(tmsf, MakeTmsf(4, 0, 0, 25));
        device.Close();
    }
    std::ifstream file(out, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> expected;
    testkit::AppendExpectedSamples(expected, 100, 300);
    testkit::AppendExpectedSamples(expected, 320, 345);
    ASSERT_GE(bytes.size(), expected.size() * 2);
    std::vector<int16_t> heard(bytes.size() / 2);
    std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
    // The device writes silence until it is unpaused; the disc's sound starts after it.
    size_t lead = 0;
    while (lead + 1 < heard.size() && heard[lead] == 0 && heard[lead + 1] == 0) lead += 2;
    heard.erase(heard.begin(), heard.begin() + static_cast<long>(lead));
    ASSERT_GE(heard.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin()));
    // Past the disc's end only silence follows.
    EXPECT_TRUE(std::all_of(heard.begin() + static_cast<long>(expected.size()), heard.end(),
                            [](int16_t s) { return s == 0; }));
}

// A drive object of another process holds the drive: this one gives way after 10 ms, and gets the
// drive once that process has ended (without closing anything).
TEST_F(CDDeviceTest, DriveLockAcrossProcesses) {
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SystemClock clock;
        CCDDevice other(clock, image_.cue, {}, dir_ / "MxAudio");
        const char ok = other.Open(0) == 1 ? 'y' : 'n';
        (void)!write(toParent[1], &ok, 1);
        char c;
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char got = 0;
    ASSERT_EQ(read(toParent[0], &got, 1), 1);
    ASSERT_EQ(got, 'y');
    auto device = MakeDevice();
    EXPECT_EQ(device->Open(10), 0);
    EXPECT_EQ(device->GetLastError(), kCdDriveBusy);
    const char go = 'x';
    ASSERT_EQ(write(toChild[1], &go, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(device->Open(10), 1);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

// The host's thread asks while the play thread opens, plays and closes the same object: every
// answer is a plain success or failure.
TEST_F(CDDeviceTest, QueriesWhileAnotherThreadOpensAndCloses) {
    auto device = MakeDevice();
    std::atomic<bool> done{false};
    std::thread player([&] {
        for (int i = 0; i < 200; ++i) {
            if (device->Open(CCDDevice::kWaitForever) == 1) {
                device->Play(MakeTmsf(1 + i % 2, 0, 0, 0));
                sink_.Consume(588);
                device->Stop();
                device->Close();
            }
        }
        done = true;
    });
    int answers = 0;
    while (!done.load()) {
        uint32_t tmsf = 0;
        CDTrackInfo info;
        const int mode = device->GetMode();
        EXPECT_TRUE(mode == kCdModeNotReady || mode == kCdModePlaying || mode == kCdModeStopped);
        if (device->GetPosition(tmsf) == 1) {
            EXPECT_TRUE(zanto::cd::TmsfTrack(tmsf) >= 1 && zanto::cd::TmsfTrack(tmsf) <= 4);
        }
        EXPECT_GE(device->IsAudioTrack(2), -1);
        device->GetTrackInfo(2, info);
        ++answers;
    }
    player.join();
    EXPECT_GT(answers, 0);
}

// The track cache finds the names of the disc in the drive by its identity.
TEST_F(CDDeviceTest, TrackCacheNamesTheDiscInTheDrive) {
    const std::string ini = dir_ / "CDPLAYER.INI";
    std::ofstream(ini) << "[11000404]\nArtist=Band\nTitle=Album\nNumtracks=4\n"
                       << "0=One\n1=Two\n2=Data\n3=Four\n";
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(10), 1);
    CCDDiscNames names;
    ASSERT_EQ(LoadDiscNames(*device, names, ini), 1);
    EXPECT_EQ(names.artist, "Band");
    EXPECT_EQ(names.tracks, (std::vector<std::string>{"One", "Two", "Data", "Four"}));
}

}  // namespace
}  // namespace zanto::cd
