// The MIDI plug-in loaded as a host loads it: which files it takes, its answers, a missing
// synthesizer, and real playback of a generated tune through the audio library's disk driver.
#include <gtest/gtest.h>

#include "common/stream/MediaFileStream.h"
#include "common/testing/DiskAudio.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/MidiFixtures.h"
#include "common/testing/PluginFixture.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto::testkit;

namespace {

struct MidiseqFixture : PluginFixture {
    MidiseqFixture() : PluginFixture(MIDISEQ_PLUGIN) {}
};

TEST_F(MidiseqFixture, TakesOnlyFilesThatBeginWithTheMidiHeader) {
    ASSERT_TRUE(lib.Complete());
    Bytes riff = MidiTune();
    riff.insert(riff.begin(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'});
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t result;
    };
    for (const Case& c : {Case{"tune.mid", MidiTune(), HMA_OPEN_YES}, Case{"riff.mid", riff, HMA_OPEN_NO},
                          Case{"short.mid", {'M', 'T', 'h'}, HMA_OPEN_NO},
                          Case{"header-only.mid", {'M', 'T', 'h', 'd'}, HMA_OPEN_YES}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CanBeOpen(Write(c.name, c.bytes)), c.result);
    }
    EXPECT_EQ(lib.LastError(), "<none>");
}

TEST_F(MidiseqFixture, AnswersItsTextsAndOnlyThose) {
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(Write("tune.mid", MidiTune()).c_str()));
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(lib.getDuration(h), 2000);
    EXPECT_EQ(lib.Text(h, HMA_DATA_TYPE), "MID");
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_FILTER), "MID (*.mid)|*.mid|");
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_NAME), "MIDI Player");
    for (int32_t code : {HMA_DATA_SAMPLERATE, HMA_DATA_BITRATE, HMA_DATA_STEREO, HMA_DATA_TITLE})
        EXPECT_EQ(lib.Text(h, code), "<none>") << code;
    lib.clear(h);

    // A file with the header but no playable song: a handle that plays nothing.
    CMediaFileStream bad;
    ASSERT_TRUE(bad.Open(Write("bad.mid", {'M', 'T', 'h', 'd', 0, 0}).c_str()));
    h = lib.open(&bad);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(lib.getDuration(h), 0);
    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);
    lib.clear(h);
}

TEST_F(MidiseqFixture, PlaysTheTuneToItsEnd) {
    std::string path = Write("tune.mid", MidiTune());
    DiskAudio out(dir / "out.raw");
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    ASSERT_EQ(lib.canBeOpen(&s), HMA_OPEN_YES);
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);
    ASSERT_TRUE(WaitFor([&] { return lib.getPos(h) >= 200; }));
    lib.pause(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PAUSED);
    const int32_t held = lib.getPos(h);
    EXPECT_EQ(lib.getPos(h), held);
    lib.setPos(h, 1000);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_STOPPED; }));
    EXPECT_EQ(lib.getPos(h), 2000);
    EXPECT_GT(out.Loud(), 10000u) << "the notes were heard";
    lib.stop(h);
    EXPECT_EQ(lib.getPos(h), 0);
    lib.clear(h);
}

TEST_F(MidiseqFixture, WithoutASynthesizerTheMidiOutputCountsAsBusy) {
    std::string path = Write("tune.mid", MidiTune());
    setenv("ZANTO_SOUNDFONT", (dir / "none.sf2").c_str(), 1);
    EXPECT_EQ(CanBeOpen(path), HMA_OPEN_ERROR);
    EXPECT_EQ(lib.LastError(), "Already used midi-out");
    unsetenv("ZANTO_SOUNDFONT");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(CanBeOpen(path), HMA_OPEN_ERROR);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(lib.LastError(), "There is no sound card");
}

}  // namespace
