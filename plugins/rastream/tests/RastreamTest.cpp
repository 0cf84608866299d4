// The RealAudio plug-in loaded as a host loads it: which files it takes, its answers, and real
// playback of RealMedia and hand-made RealAudio clips through the audio library's disk driver.
#include <gtest/gtest.h>

#include "common/stream/MediaFileStream.h"
#include "common/testing/DiskAudio.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/PluginFixture.h"
#include "common/testing/RealMediaFixture.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto::testkit;

namespace {

struct RastreamFixture : PluginFixture {
    RastreamFixture() : PluginFixture(RASTREAM_PLUGIN) {}
};

TEST_F(RastreamFixture, TakesRealAudioAndRealMediaSignaturesOnly) {
    ASSERT_TRUE(lib.Complete());
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t result;
    };
    for (const Case& c : {Case{"a.ra", {'.', 'r', 'a', 0xFD, 0, 3}, HMA_OPEN_YES},
                          Case{"b.ra", {'.', 'r', 'a', 'Q'}, HMA_OPEN_YES},
                          Case{"c.rm", {'.', 'R', 'M', 'F', 0, 0}, HMA_OPEN_YES},
                          Case{"d.rm", {'.', 'r', 'm', 'f', 0, 0}, HMA_OPEN_NO},
                          Case{"e.ra", {'.', 'r', 'a'}, HMA_OPEN_NO},
                          Case{"f.ra", {'.', 'R', 'A', 0xFD}, HMA_OPEN_NO},
                          Case{"g.wav", WaveFile(1, 1, 8000, 8, Bytes(10, 0x80)), HMA_OPEN_NO}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CanBeOpen(Write(c.name, c.bytes)), c.result);
    }
    EXPECT_EQ(lib.canBeOpen(nullptr), HMA_OPEN_YES);
    EXPECT_EQ(lib.LastError(), "<none>");

    // A signature alone does not make a clip: the engine refuses it and Open gives none.
    CMediaFileStream s;
    ASSERT_TRUE(s.Open((dir / "b.ra").c_str()));
    EXPECT_EQ(lib.open(&s), nullptr);
}

TEST_F(RastreamFixture, AnswersItsDataCodes) {
    std::string path = dir / "tone.rmf";
    ASSERT_TRUE(WriteRealMedia(path, 1.0));
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(s.IsOpen()) << "the engine opens the file by itself";
    EXPECT_NEAR(lib.getDuration(h), 1000, 40);
    EXPECT_EQ(lib.Text(h, HMA_DATA_BITRATE), "") << "empty before the first buffering notice";
    EXPECT_EQ(lib.Text(h, HMA_DATA_TYPE), "RA");
    EXPECT_EQ(lib.Text(h, HMA_DATA_TYPE, 4), "<none>");
    EXPECT_EQ(lib.Number(h, HMA_DATA_VOLUME), 100);
    int32_t v = 40;
    EXPECT_EQ(lib.setData(h, HMA_DATA_VOLUME, &v, sizeof v), 1);
    EXPECT_EQ(lib.Number(h, HMA_DATA_VOLUME), 40);
    EXPECT_EQ(lib.setData(h, HMA_DATA_TITLE, &v, sizeof v), 1);
    for (int32_t code : {HMA_DATA_SAMPLERATE, HMA_DATA_STEREO, HMA_DATA_TITLE, HMA_DATA_FORMAT})
        EXPECT_EQ(lib.Text(h, code), "<none>") << code;
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_FILTER), "Real Audio (*.ra)|*.ra|");
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_NAME), "Real Audio Player");
    lib.stop(h);
    lib.clear(h);
    s.Abort();

    // A null or cleared handle is no handle: nothing happens and every answer is 0.
    for (HMA_HANDLE none : {HMA_HANDLE(nullptr), h}) {
        lib.play(none);
        lib.pause(none);
        lib.stop(none);
        lib.setPos(none, 10);
        lib.clear(none);
        EXPECT_EQ(lib.getDuration(none), 0);
        EXPECT_EQ(lib.getState(none), 0);
        EXPECT_EQ(lib.getPos(none), 0);
        EXPECT_EQ(lib.setData(none, HMA_DATA_VOLUME, &v, sizeof v), 0);
        for (int32_t code : std::initializer_list<int32_t>{0, HMA_DATA_BITRATE, HMA_DATA_TYPE, HMA_DATA_VOLUME, 10})
            EXPECT_EQ(lib.Text(none, code), "<none>") << code;
    }
}

TEST_F(RastreamFixture, PlaysPausesSeeksAndEndsAtTheDuration) {
    std::string path = dir / "tone.rmf";
    ASSERT_TRUE(WriteRealMedia(path, 2.0));
    DiskAudio out(dir / "out.raw");
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    ASSERT_EQ(lib.canBeOpen(&s), HMA_OPEN_YES);
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    const int32_t duration = lib.getDuration(h);
    EXPECT_NEAR(duration, 2000, 40);
    EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);

    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);
    EXPECT_EQ(lib.Text(h, HMA_DATA_BITRATE), "8") << "cut from the buffering status";
    ASSERT_TRUE(WaitFor([&] { return lib.getPos(h) >= 200; }));
    lib.pause(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PAUSED);
    const int32_t held = lib.getPos(h);
    EXPECT_EQ(lib.getPos(h), held);
    lib.setPos(h, 1500);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);
    EXPECT_GE(lib.getPos(h), 1500);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_STOPPED; }));
    EXPECT_EQ(lib.getPos(h), duration);
    EXPECT_GT(out.Loud(), 2000u) << "sound came out";
    lib.stop(h);
    lib.clear(h);
}

TEST_F(RastreamFixture, PlaysAHandMadeRealAudioFile) {
    std::string path = Write("hand.ra", RealAudio3(Ra144Frames(1.0)));
    DiskAudio out(dir / "out.raw");
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    ASSERT_EQ(lib.canBeOpen(&s), HMA_OPEN_YES);
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    EXPECT_NEAR(lib.getDuration(h), 1000, 100);
    lib.play(h);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_STOPPED; }));
    EXPECT_GT(out.Loud(), 2000u);
    lib.clear(h);
}

TEST_F(RastreamFixture, NoOutputDeviceAtPlayIsAnErrorWithItsText) {
    std::string path = dir / "tone.rmf";
    ASSERT_TRUE(WriteRealMedia(path, 0.5));
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    lib.play(h);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(lib.getState(h), HMA_STATE_ERROR);
    EXPECT_EQ(lib.LastError(), "There is no sound card");
    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING) << "with an output again, it plays";
    lib.clear(h);
}

}  // namespace
