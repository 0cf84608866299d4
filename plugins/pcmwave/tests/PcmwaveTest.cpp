// The WAVE plug-in loaded as a host loads it: which files it takes, its answers, and real playback
// of generated WAVE files through the audio library's disk driver.
#include <gtest/gtest.h>

#include <cmath>

#include "common/stream/MediaFileStream.h"
#include "common/testing/DiskAudio.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/PluginFixture.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto::testkit;

namespace {

// A sine tone of the given format; 8-bit samples are unsigned around 128.
Bytes Tone(uint16_t channels, uint32_t rate, uint16_t bits, double seconds) {
    Bytes data;
    auto frames = static_cast<size_t>(rate * seconds);
    for (size_t i = 0; i < frames; ++i) {
        double s = std::sin(2 * M_PI * 440.0 * double(i) / rate) * 0.5;
        for (uint16_t c = 0; c < channels; ++c) {
            if (bits == 8)
                data.push_back(uint8_t(128 + s * 127));
            else
                AppendLE16(data, uint16_t(int16_t(s * 32767)));
        }
    }
    return WaveFile(1, channels, rate, bits, data);
}

struct PcmwaveFixture : PluginFixture {
    PcmwaveFixture() : PluginFixture(PCMWAVE_PLUGIN) {}
};

TEST_F(PcmwaveFixture, TakesPcmWaveAndOtherRiffFilesButNotMpegInWave) {
    ASSERT_TRUE(lib.Complete());
    Bytes mp3InWave = WaveFile(0x55, 2, 44100, 0, MpegFrames(kMp3Header, 8));
    Bytes avi = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t result;
    };
    for (const Case& c : {Case{"pcm.wav", Tone(1, 8000, 8, 0.1), HMA_OPEN_YES},
                          Case{"video.avi", avi, HMA_OPEN_YES},
                          Case{"mp3.wav", mp3InWave, HMA_OPEN_NO},
                          Case{"frames.mp3", MpegFrames(kMp3Header, 8), HMA_OPEN_NO},
                          Case{"riff", {'R', 'I', 'F'}, HMA_OPEN_NO},
                          Case{"empty.wav", {}, HMA_OPEN_NO}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CanBeOpen(Write(c.name, c.bytes)), c.result);
    }
    EXPECT_EQ(lib.canBeOpen(nullptr), HMA_OPEN_YES);
    EXPECT_EQ(lib.LastError(), "<none>") << "nothing recorded, nothing handed out";
}

TEST_F(PcmwaveFixture, AnswersTheFormatFacts) {
    struct Case {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        const char* rateText;
        const char* bitRateText;
        int32_t stereo;
        int32_t duration;
    };
    for (const Case& c : {Case{2, 44100, 16, "44.1", "1411", 1, 500}, Case{1, 22050, 16, "22.0", "352", 0, 500},
                          Case{1, 48000, 8, "48", "384", 0, 500}, Case{2, 11025, 8, "11.0", "176", 1, 499}}) {
        SCOPED_TRACE(c.rateText);
        std::string path = Write("f.wav", Tone(c.channels, c.rate, c.bits, 0.5));
        CMediaFileStream s;
        ASSERT_TRUE(s.Open(path.c_str()));
        HMA_HANDLE h = lib.open(&s);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(lib.getDuration(h), c.duration);
        EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);
        EXPECT_EQ(lib.Text(h, HMA_DATA_SAMPLERATE), c.rateText);
        EXPECT_EQ(lib.Text(h, HMA_DATA_BITRATE), c.bitRateText);
        EXPECT_EQ(lib.Text(h, HMA_DATA_TYPE), "WAV");
        EXPECT_EQ(lib.Text(h, HMA_DATA_TYPE, 4), "<none>") << "the type needs 5 bytes";
        EXPECT_EQ(lib.Number(h, HMA_DATA_STEREO), c.stereo);
        EXPECT_EQ(lib.Text(h, HMA_DATA_TITLE), "<none>");
        EXPECT_EQ(lib.Number(h, HMA_DATA_FORMAT), -999);
        EXPECT_EQ(lib.getStream(h), nullptr);
        lib.setSpectrumArea(h, 1, 2);
        lib.stop(h);
        lib.clear(h);
    }
    // Texts fit exactly or not at all.
    const std::string filter = "WAV (*.wav)|*.wav|";
    const int32_t exact = int32_t(filter.size() + 1);
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_FILTER, exact), filter);
    char buffer[64];
    std::memset(buffer, 'q', sizeof buffer);
    EXPECT_EQ(lib.getData(nullptr, HMA_DATA_FILTER, buffer, exact - 1), 0);
    EXPECT_EQ(buffer[0], 'q');
    EXPECT_EQ(lib.Text(nullptr, HMA_DATA_NAME), "WAV Player");
}

TEST_F(PcmwaveFixture, PlaysPausesSeeksAndEndsAtTheDuration) {
    std::string path = Write("tone.wav", Tone(2, 44100, 16, 2.0));
    DiskAudio out(dir / "out.raw");
    CMediaFileStream s;
    ASSERT_TRUE(s.Open(path.c_str()));
    ASSERT_EQ(lib.canBeOpen(&s), HMA_OPEN_YES);
    HMA_HANDLE h = lib.open(&s);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(lib.getDuration(h), 2000);

    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING) << "play returns at once, playing";
    ASSERT_TRUE(WaitFor([&] { return lib.getPos(h) >= 300; })) << "the position advances";

    lib.pause(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PAUSED);
    const int32_t held = lib.getPos(h);
    EXPECT_LT(held, 2000);
    EXPECT_EQ(lib.getPos(h), held);
    lib.play(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);

    // SetPos plays from there.
    lib.setPos(h, 1500);
    EXPECT_EQ(lib.getState(h), HMA_STATE_PLAYING);
    EXPECT_GE(lib.getPos(h), 1500);
    ASSERT_TRUE(WaitFor([&] { return lib.getState(h) == HMA_STATE_STOPPED; }));
    EXPECT_EQ(lib.getPos(h), 2000) << "a finished item stands at its duration";
    EXPECT_GT(out.Loud(), 44100u) << "sound came out";

    // Stop goes back to the start.
    lib.stop(h);
    EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);
    EXPECT_EQ(lib.getPos(h), 0);
    lib.clear(h);
}

TEST_F(PcmwaveFixture, NoAudioDeviceIsReportedBeforeTheFileIsLookedAt) {
    std::string path = Write("x.txt", {'x', 'y', 'z', 'w'});
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(CanBeOpen(path), HMA_OPEN_ERROR);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(lib.LastError(), "There is no audio device");
    int dummy = 0;
    EXPECT_EQ(lib.LastError(&dummy), "There is no audio device");
    char text[64];
    EXPECT_EQ(lib.getLastErrorString(nullptr, text, sizeof text), 25);
}

}  // namespace
