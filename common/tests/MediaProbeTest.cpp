#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

uint32_t Probe(const Bytes& b) {
    MemorySource s(b.data(), b.size());
    return ProbeMpegFrame(s);
}

TEST(MpegHeaderTest, FieldsAndFrameLengths) {
    struct Case {
        uint32_t h;
        int version, layer;
        uint32_t bitrate, rate;
        int mode;
        uint32_t length;
    } cases[] = {
        {kMp3Header, 1, 3, 128000, 44100, 1, 417},
        {kMp3Header | 0x200, 1, 3, 128000, 44100, 1, 418},  // padding
        {0xFFFB50C4, 1, 3, 64000, 44100, 3, 208},           // 144 x 64000 / 44100
        {kMpeg2Header, 2, 3, 64000, 22050, 3, 208},         // 72 x 64000 / 22050
        {0xFFFDA000, 1, 2, 192000, 44100, 0, 626},          // Layer II with CRC
        {0xFFFF9000, 1, 1, 288000, 44100, 0, 312},          // Layer I: (12 x b / s + p) x 4
        {0xFFFB0000, 1, 3, 0, 44100, 0, 0},                 // free format
        {0xFFFBF000, 1, 3, 0, 44100, 0, 0},                 // index 15
        {0xFFF90000, 1, 0, 0, 44100, 0, 0},                 // reserved layer
        {0xFFFB9C00, 1, 3, 128000, 1, 0, 18432000},         // reserved sample rate gives 1 Hz
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.h));
        EXPECT_TRUE(mpeg::IsValidHeader(c.h));
        EXPECT_EQ(mpeg::Version(c.h), c.version);
        EXPECT_EQ(mpeg::Layer(c.h), c.layer);
        EXPECT_EQ(mpeg::BitRate(c.h), c.bitrate);
        EXPECT_EQ(mpeg::SampleRate(c.h), c.rate);
        EXPECT_EQ(mpeg::ChannelMode(c.h), c.mode);
        EXPECT_EQ(mpeg::FrameLength(c.h), c.length);
    }
    EXPECT_FALSE(mpeg::IsValidHeader(0));
    EXPECT_FALSE(mpeg::IsValidHeader(0xFFE00000));
}

TEST(MpegProbeTest, RecognisesFilesAndRejectsOthers) {
    Bytes filler(300, 0xFF);
    Append(filler, MpegFrames(kMp3Header, 8));
    Bytes junkThenFrames(1000, 0x11);
    Append(junkThenFrames, MpegFrames(kMpeg2Header, 8));
    Bytes bigTag = Id3Tag(20000);
    Append(bigTag, MpegFrames(kMp3Header, 1));
    Bytes bigTagNoFrame = Id3Tag(20000);
    Append(bigTagNoFrame, Bytes(10, 0));
    Bytes wave55 = WaveFile(0x55, 2, 44100, 0, MpegFrames(kMp3Header, 8), 30);
    Bytes wavePcm = WaveFile(1, 2, 44100, 16, Bytes(4000, 0x20));
    Bytes broken = MpegFrames(kMp3Header, 3);  // chain ends after three frames
    Append(broken, Bytes(2000, 0));
    Bytes freeFormat = MpegFrames(0xFFFB0044, 1);
    Append(freeFormat, Bytes(5000, 0));

    struct Case {
        const char* what;
        Bytes data;
        uint32_t expect;  // 0: any value without sync
    } cases[] = {
        {"plain frames", MpegFrames(kMp3Header, 8), kMp3Header},
        {"ID3 tag then frames", [] { Bytes b = Id3Tag(4000); Append(b, MpegFrames(kMp3Header, 8)); return b; }(), kMp3Header},
        {"0xFF filler at the start then frames", filler, kMp3Header},
        {"junk then MPEG-2 frames", junkThenFrames, kMpeg2Header},
        {"tag beyond the search limit: the first header decides alone", bigTag, kMp3Header},
        {"tag beyond the search limit without a frame", bigTagNoFrame, 0},
        {"MPEG in WAVE (tag 0x55, 18+ byte fmt)", wave55, kMp3Header},
        {"PCM WAVE", wavePcm, 0},
        {"broken chain", broken, 0},
        {"free format", freeFormat, 0},
        {"three bytes", Bytes{0xFF, 0xFB, 0x90}, 0},
        {"empty", Bytes{}, 0},
        {"only 0xFF bytes", Bytes(12000, 0xFF), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t h = Probe(c.data);
        if (c.expect)
            EXPECT_EQ(h, c.expect);
        else
            EXPECT_FALSE(mpeg::IsValidHeader(h));
    }
}

TEST(RiffWaveProbeTest, ReadsFormatAndStandsAtTheData) {
    Bytes pcm = {1, 2, 3, 4, 5, 6};
    Bytes wave = WaveFile(1, 2, 22050, 16, pcm, 18);  // two bytes skipped after the first 16
    MemorySource s(wave.data(), wave.size());
    WaveFormat f;
    ASSERT_TRUE(ProbeRiffWave(s, 1, &f));
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.samplesPerSec, 22050u);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(f.dataSize, 6u);
    EXPECT_EQ(f.dataOffset, wave.size() - 6);
}

TEST(RiffWaveProbeTest, Rejections) {
    Bytes threeChannels = WaveFile(1, 3, 8000, 8, Bytes(3, 0));
    Bytes noData = WaveFile(1, 1, 8000, 8, Bytes{});
    noData.resize(noData.size() - 8);  // cut the "data" header
    Bytes past = WaveFile(1, 1, 8000, 8, Bytes(4, 0));
    past[16] = 0xFF, past[17] = 0xFF, past[18] = 0xFF, past[19] = 0x7F;  // fmt size past the end
    Bytes avi = WaveFile(1, 1, 8000, 8, Bytes(4, 0));
    std::copy_n("AVI ", 4, avi.begin() + 8);
    struct Case {
        const char* what;
        Bytes data;
        uint16_t tag;
    } cases[] = {
        {"wrong tag", WaveFile(1, 2, 8000, 8, Bytes(4, 0)), 0x55},
        {"three channels", threeChannels, 1},
        {"no data chunk", noData, 1},
        {"fmt size past the end", past, 1},
        {"other RIFF form", avi, 1},
        {"not RIFF", Bytes(64, 'x'), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySource s(c.data.data(), c.data.size());
        EXPECT_FALSE(ProbeRiffWave(s, c.tag));
    }
}

TEST(MpegProbeTest, FileProbeReportsUnreadableFiles) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / "a.mp3", MpegFrames(kMp3Header, 8)));
    EXPECT_EQ(ProbeMpegFile(dir / "a.mp3"), kMp3Header);
    EXPECT_EQ(ProbeMpegFileDetailed(dir / "missing.mp3").error, ENOENT);
    EXPECT_EQ(ProbeMpegFileDetailed(dir.Path()).error, EISDIR);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_NE(ProbeMpegFileDetailed(dir / "fifo").error, 0);  // fails at once, never waits
}

// Mutated and random inputs: the probes must stay inside their data and always return.
// Run under the sanitizer build too, where a stray read is caught.
TEST(MpegProbeTest, SurvivesMutatedInput) {
    std::mt19937 rng(20261211);
    std::vector<Bytes> seeds;
    seeds.push_back(MpegFrames(kMp3Header, 6));
    {
        Bytes b = Id3Tag(300);
        Append(b, MpegFrames(kMpeg2Header, 6));
        seeds.push_back(b);
    }
    seeds.push_back(WaveFile(0x55, 1, 22050, 0, MpegFrames(kMpeg2Header, 6), 20));
    seeds.push_back(WaveFile(1, 2, 44100, 16, Bytes(100, 0)));
    for (int round = 0; round < 3000; ++round) {
        Bytes b = seeds[rng() % seeds.size()];
        int edits = 1 + rng() % 8;
        for (int e = 0; e < edits && !b.empty(); ++e) {
            size_t at = rng() % b.size();
            switch (rng() % 4) {
                case 0: b[at] = uint8_t(rng()); break;
                case 1: b[at] = 0xFF; break;
                case 2: b.resize(at); break;  // truncate
                case 3:                      // a huge or wrapping size field
                    for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = uint8_t(rng() | 0xF0);
                    break;
            }
        }
        MemorySource s(b.data(), b.size());
        (void)ProbeMpegFrame(s);
        WaveFormat f;
        (void)ProbeRiffWave(s, 1, &f);
    }
    SUCCEED();
}

}  // namespace
