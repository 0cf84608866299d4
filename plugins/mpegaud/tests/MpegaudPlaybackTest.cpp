// Real playback of an encoded MP3 through the plug-in, with the sound written to a file by the
// audio library's disk driver: positions, pause, seek, end of input and the sound itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/Mp3Fixture.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto::testkit;

namespace {

struct DiskOutput {
    std::string file;
    explicit DiskOutput(const std::string& path) : file(path) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        // 60 ms per period of the writer (8192 frames, 186 ms of sound at 44.1 kHz): about three
        // times real time, yet slow enough for every state on the way to be seen on a loaded
        // machine.
        setenv("SDL_DISKAUDIODELAY", "60", 1);
    }
    ~DiskOutput() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
    uintmax_t Size() const {
        std::error_code ec;
        auto n = std::filesystem::file_size(file, ec);
        return ec ? 0 : n;
    }
    // Seconds of written stereo 44.1 kHz sound that carry the tone (not silence).
    double ToneSeconds(double* peak) const {
        std::ifstream in(file, std::ios::binary);
        std::vector<int16_t> samples;
        int16_t s;
        while (in.read(reinterpret_cast<char*>(&s), sizeof s)) samples.push_back(s);
        size_t loud = 0;
        *peak = 0;
        for (size_t i = 0; i + 1 < samples.size(); i += 2) {
            double v = std::abs(double(samples[i]));
            *peak = std::max(*peak, v);
            if (v > 0) ++loud;
        }
        return loud / 44100.0;
    }
};

TEST(MpegaudPlayback, PlaysPausesSeeksAndEndsAtTheDuration) {
    TempDir dir;
    ASSERT_TRUE(WriteSineMp3(dir / "tone.mp3", {3.0, 44100, 2, 128, true}));
    DiskOutput output(dir / "out.raw");
    HmaLibrary lib{MPEGAUD_PLUGIN};
    ASSERT_TRUE(lib.Complete());
    OpenHandles open{lib, {}};

    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open((dir / "tone.mp3").c_str()));
    ASSERT_EQ(lib.canBeOpen(&stream), HMA_OPEN_YES);
    HMA_HANDLE h = open.Open(&stream);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(WaitFor([&] { return lib.getDuration(h) == 3000; }));

    lib.play(h);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_PLAYING; }));
    ASSERT_TRUE(WaitFor([&] { return lib.getPos(h) >= 1000; })) << "the position advances";
    EXPECT_EQ(lib.getPos(h) % 1000, 0) << "the time code counts whole seconds";

    lib.pause(h);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_PAUSED; }));
    const int32_t held = lib.getPos(h);
    EXPECT_LT(held, 3000);
    // The output keeps running (writing silence) while the position holds.
    const uintmax_t size = output.Size();
    ASSERT_TRUE(WaitFor([&] { return output.Size() > size + 256 * 1024; }));
    EXPECT_EQ(lib.getPos(h), held);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PAUSED);

    // Back to the start while paused: the whole tone plays once more after what was heard.
    lib.setPos(h, 0);
    EXPECT_EQ(lib.getPos(h), 0);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PAUSED);
    lib.play(h);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_STOPPED; }));
    EXPECT_EQ(lib.getPos(h), 3000) << "end of input stops at the duration";
    EXPECT_EQ(lib.getDuration(h), 3000);

    lib.stop(h);
    lib.clear(h);
    double peak = 0;
    double tone = output.ToneSeconds(&peak);
    EXPECT_GT(peak, 8000) << "the written sound is not silent";
    EXPECT_GE(tone, held / 1000.0 + 3.0 - 0.05);
    EXPECT_LE(tone, held / 1000.0 + 1.0 + 3.0 + 0.05);
}

TEST(MpegaudPlayback, PlayAfterTheEndStartsAgainAndClearStopsAtOnce) {
    TempDir dir;
    ASSERT_TRUE(WriteSineMp3(dir / "short.mp3", {1.2, 44100, 2, 128, true}));
    DiskOutput output(dir / "out.raw");
    HmaLibrary lib{MPEGAUD_PLUGIN};
    OpenHandles open{lib, {}};
    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open((dir / "short.mp3").c_str()));
    HMA_HANDLE h = open.Open(&stream);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(WaitFor([&] { return lib.getDuration(h) == 1000; }));

    // A seek beyond the end ends the item as soon as it plays.
    lib.setPos(h, 5000);
    lib.play(h);
    ASSERT_TRUE(WaitFor([&] {
        return lib.getState(h) == HMA_STATE_STOPPED && lib.getPos(h) == 1000;
    }));
    // Playing a finished item plays it again from the beginning: a second of sound more.
    const uintmax_t before = output.Size();
    lib.play(h);
    ASSERT_TRUE(WaitFor([&] {
        return output.Size() >= before + 176400 && lib.getState(h) == HMA_STATE_STOPPED &&
               lib.getPos(h) == 1000;
    }));
    lib.clear(h);

    // A second handle plays beside a first one.
    ASSERT_TRUE(WriteSineMp3(dir / "long.mp3", {10.0, 44100, 2, 128, true}));
    CMediaFileStream longStream;
    ASSERT_TRUE(longStream.Open((dir / "long.mp3").c_str()));
    HMA_HANDLE a = open.Open(&longStream);
    HMA_HANDLE b = open.Open(&longStream);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    lib.play(a);
    lib.play(b);
    ASSERT_TRUE(WaitFor([&] {
        return lib.getState(a) == HMA_STATE_PLAYING && lib.getState(b) == HMA_STATE_PLAYING;
    }));
    lib.clear(a);
    EXPECT_TRUE(WaitFor([&] { return lib.getState(b) == HMA_STATE_STOPPED; }));
    lib.clear(b);
}


TEST(MpegaudPlayback, AnOutputThatFailsWhenPlayStartsReportsTheErrorState) {
    TempDir dir;
    ASSERT_TRUE(WriteSineMp3(dir / "tone.mp3", {1.0, 44100, 2, 128, true}));
    DiskOutput output(dir / "no-such-folder/out.raw");
    HmaLibrary lib{MPEGAUD_PLUGIN};
    OpenHandles open{lib, {}};
    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open((dir / "tone.mp3").c_str()));
    HMA_HANDLE h = open.Open(&stream);
    ASSERT_NE(h, nullptr);
    lib.play(h);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_ERROR; }));
    EXPECT_EQ(lib.LastError(), "") << "the engine's failure records no text of its own";
    lib.stop(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);
    lib.clear(h);
}

TEST(MpegaudPlayback, TheVolumeScalesTheSound) {
    TempDir dir;
    ASSERT_TRUE(WriteSineMp3(dir / "tone.mp3", {1.0, 44100, 2, 128, true}));
    struct Case {
        int32_t volume;
        double low, high;  // the written peak; the tone's own peak is about 16400
    } cases[] = {{0, 0, 2}, {50, 7400, 9000}, {100, 15000, 18000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        const std::string out = dir / ("out" + std::to_string(c.volume) + ".raw");
        DiskOutput output(out);
        HmaLibrary lib{MPEGAUD_PLUGIN};
        OpenHandles open{lib, {}};
        CMediaFileStream stream;
        ASSERT_TRUE(stream.Open((dir / "tone.mp3").c_str()));
        HMA_HANDLE h = open.Open(&stream);
        ASSERT_NE(h, nullptr);
        int32_t volume = c.volume;
        ASSERT_EQ(lib.setData(h, HMA_DATA_VOLUME, &volume, 4), 1);
        lib.play(h);
        ASSERT_TRUE(WaitFor([&] {
            return lib.getDuration(h) == 1000 && lib.getState(h) == HMA_STATE_STOPPED &&
                   lib.getPos(h) == 1000;
        }));
        lib.clear(h);
        double peak = 0;
        output.ToneSeconds(&peak);
        EXPECT_GE(peak, c.low);
        EXPECT_LE(peak, c.high);
    }
}

}  // namespace
