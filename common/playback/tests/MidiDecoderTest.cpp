// The synthesizer decoder: the tune sounds while its notes play, the length follows the song, a
// seek lands where asked, and a missing sound font is reported.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "common/playback/DeviceError.h"
#include "common/playback/MidiDecoder.h"
#include "common/testing/MidiFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto;
using namespace zanto::playback;

namespace {

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

struct MidiDecoderFixture : testing::Test {
    testkit::TempDir dir;
    std::unique_ptr<PcmDecoder> Open(const testkit::Bytes& bytes, int32_t* error) {
        std::string path = dir / "t.mid";
        EXPECT_TRUE(testkit::WriteFile(path, bytes));
        return MidiDecoder::Open(path, error);
    }
};

TEST_F(MidiDecoderFixture, RendersTheTuneForItsLength) {
    int32_t error = -1;
    auto d = Open(testkit::MidiTune(), &error);
    ASSERT_TRUE(d) << DeviceErrorText(error);
    EXPECT_EQ(d->LengthMs(), 2000u);
    EXPECT_EQ(d->OutputChannels(), 2);
    std::vector<int16_t> all;
    std::vector<int16_t> chunk(2 * 1000);
    size_t n;
    while ((n = d->Read(chunk.data(), 1000)) > 0) all.insert(all.end(), chunk.begin(), chunk.begin() + 2 * n);
    EXPECT_EQ(all.size() / 2, size_t(MidiDecoder::kRate) * 2);
    EXPECT_GT(Rms(all, 0, all.size() / 4), 100.0) << "the first note sounds";

    // From the middle of the last note on, the sound is that of the last note alone.
    ASSERT_TRUE(d->Seek(1750));
    std::vector<int16_t> tail(2 * 22050);
    size_t got = d->Read(tail.data(), 22050);
    EXPECT_EQ(got, size_t(MidiDecoder::kRate) / 4);
    EXPECT_GT(Rms(tail, 0, 2 * got), 20.0);
    EXPECT_EQ(d->Read(tail.data(), 100), 0u);

    ASSERT_TRUE(d->Seek(0));
    EXPECT_EQ(d->Read(chunk.data(), 1000), 1000u);
}

TEST_F(MidiDecoderFixture, SilentSongsStaySilentAndBadFilesAreRefused) {
    testkit::MidiTrack rest;
    rest.Event(0, {0xC0, 0}).End(480);
    int32_t error = -1;
    auto d = Open(testkit::MidiFile(0, 480, {rest}), &error);
    ASSERT_TRUE(d);
    std::vector<int16_t> pcm(2 * 22050);
    EXPECT_EQ(d->Read(pcm.data(), 22050), 22050u);
    // Only the output's dither is there.
    EXPECT_LT(Rms(pcm, 0, pcm.size()), 2.0);

    testkit::Bytes riff = testkit::MidiTune();
    riff.insert(riff.begin(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'});
    EXPECT_FALSE(Open(riff, &error));
    EXPECT_EQ(error, kDeviceInvalidFile);
    EXPECT_FALSE(MidiDecoder::Open(dir / "none.mid", &error));
    EXPECT_EQ(error, kDeviceFileNotFound);
}

TEST_F(MidiDecoderFixture, AMissingSoundFontMakesTheSynthesizerUnavailable) {
    const char* old = getenv("ZANTO_SOUNDFONT");
    std::string saved = old ? old : "";
    setenv("ZANTO_SOUNDFONT", (dir / "missing.sf2").c_str(), 1);
    int32_t error = -1;
    EXPECT_FALSE(Open(testkit::MidiTune(), &error));
    EXPECT_EQ(error, kDeviceSynthUnavailable);
    std::string why;
    EXPECT_FALSE(Synthesizer::Create(44100, &why));
    EXPECT_NE(why.find("missing.sf2"), std::string::npos);
    if (old) setenv("ZANTO_SOUNDFONT", saved.c_str(), 1); else unsetenv("ZANTO_SOUNDFONT");
}

}  // namespace
