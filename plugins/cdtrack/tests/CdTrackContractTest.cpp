// The built plug-in, loaded and driven as a host drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/ScopedVariable.h"
#include "common/testing/WaitFor.h"
#include "plugins/cdtrack/tests/CdTrackFixture.h"

namespace cdtrack {
namespace {

using Library = zanto::testkit::HmaLibrary;

using zanto::testkit::ScopedVariable;

TEST(CdTrackContract, RecognisesTrackFilesOnly) {
    ScopedVariable driver("SDL_AUDIODRIVER", "dummy");
    Library lib{CDTRACK_PLUGIN};
    ASSERT_TRUE(lib.Complete());
    testing::CdFixture fixture;
    EXPECT_EQ(lib.canBeOpen(nullptr), HMA_OPEN_YES);

    const std::string wave = fixture.dir / "sound.wav";
    std::ofstream(wave, std::ios::binary) << std::string("RIFF\x24\0\0\0WAVEfmt ", 16)
                                          << std::string(28, '\0');
    const std::string shortFile = fixture.dir / "short.cda";
    std::ofstream(shortFile, std::ios::binary) << std::string("RIFF\x24\0\0\0CDDAfmt ", 16);
    struct Case {
        const char* name;
        std::string path;
        int32_t result;
    };
    const Case cases[] = {
        {"track file", fixture.TrackFile(2), HMA_OPEN_YES},
        {"wave file", wave, HMA_OPEN_NO},
        {"cut short", shortFile, HMA_OPEN_NO},
        {"disc image", fixture.image.cue, HMA_OPEN_NO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMediaFileStream stream;
        ASSERT_NE(stream.Open(c.path.c_str()), 0);
        EXPECT_EQ(lib.canBeOpen(&stream), c.result);
        HMA_HANDLE handle = lib.open(&stream);
        EXPECT_EQ(handle != nullptr, c.result == HMA_OPEN_YES);
        lib.clear(handle);
    }
    // Nothing was recorded: the text handed out is empty.
    EXPECT_EQ(lib.LastError(), "");
}

TEST(CdTrackContract, NoSoundOutputIsReportedOnce) {
    Library lib{CDTRACK_PLUGIN};
    testing::CdFixture fixture;
    CMediaFileStream stream;
    ASSERT_NE(stream.Open(fixture.TrackFile(1).c_str()), 0);
    {
        ScopedVariable driver("SDL_AUDIODRIVER", "no-such-driver");
        EXPECT_EQ(lib.canBeOpen(&stream), HMA_OPEN_ERROR);
    }
    ScopedVariable driver("SDL_AUDIODRIVER", "dummy");
    char text[HMA_ERROR_TEXT_SIZE];
    EXPECT_EQ(lib.getLastErrorString(reinterpret_cast<HMA_HANDLE>(0x1234), text, sizeof text),
              41);
    EXPECT_STREQ(text, "There is no soundcard present/installed.");
    // Reading it emptied it.
    EXPECT_EQ(lib.getLastErrorString(nullptr, text, sizeof text), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(lib.canBeOpen(&stream), HMA_OPEN_YES);
}

TEST(CdTrackContract, AnswersWithoutAHandle) {
    Library lib{CDTRACK_PLUGIN};
    struct Case {
        int32_t code;
        int32_t result;
        const char* text;
    };
    const Case cases[] = {
        {HMA_DATA_TYPE, 1, "CD"},
        {HMA_DATA_FILTER, 1, "CD Audio (*.cda)|*.cda|"},
        {HMA_DATA_NAME, 1, "Audio CD Player"},
        {HMA_DATA_TITLE, 0, "untouched"},
        {HMA_DATA_VOLUME, 0, "untouched"},
        {HMA_DATA_SAMPLERATE, 0, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char buffer[HMA_PROBE_TEXT_SIZE];
        std::strcpy(buffer, "untouched");
        EXPECT_EQ(lib.getData(nullptr, c.code, buffer, sizeof buffer), c.result);
        EXPECT_STREQ(buffer, c.text);
    }
    char small[3];
    EXPECT_EQ(lib.getData(nullptr, HMA_DATA_TYPE, small, 2), 0);  // "CD" and NUL need 3
    EXPECT_EQ(lib.getData(nullptr, HMA_DATA_TYPE, small, 3), 1);
    int32_t volume = 50;
    EXPECT_EQ(lib.setData(nullptr, HMA_DATA_VOLUME, &volume, 4), 0);
    EXPECT_EQ(lib.getState(nullptr), 0);
    EXPECT_EQ(lib.getPos(nullptr), 0);
    EXPECT_EQ(lib.getDuration(nullptr), 0);
    EXPECT_EQ(lib.getStream(nullptr), nullptr);
    lib.play(nullptr);
    lib.pause(nullptr);
    lib.stop(nullptr);
    lib.setPos(nullptr, 5);
    lib.clear(nullptr);
}

// A whole track through the real drive code on a disc image and the sound output's disk writer:
// the item plays, ends when the drive passes into the next track, and reports its full length.
TEST(CdTrackContract, PlaysATrackToItsEnd) {
    testing::CdFixture fixture;
    const std::string out = fixture.dir / "heard.raw";
    ScopedVariable device("ZANTO_CD_DEVICE", fixture.image.cue);
    ScopedVariable runtime("XDG_RUNTIME_DIR", fixture.dir.Path());
    ScopedVariable settings("ZANTO_SETTINGS", fixture.dir / "settings.reg");
    ScopedVariable driver("SDL_AUDIODRIVER", "disk");
    ScopedVariable file("SDL_DISKAUDIOFILE", out);
    ScopedVariable delay("SDL_DISKAUDIODELAY", "0");
    {
        Library lib{CDTRACK_PLUGIN};
        CMediaFileStream stream;
        ASSERT_NE(stream.Open(fixture.TrackFile(1).c_str()), 0);
        ASSERT_EQ(lib.canBeOpen(&stream), HMA_OPEN_YES);
        HMA_HANDLE handle = lib.open(&stream);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(lib.getDuration(handle), 1000);
        EXPECT_EQ(lib.getState(handle), HMA_STATE_PLAYING);
        lib.play(handle);
        ASSERT_TRUE(zanto::testkit::WaitFor(
            [&] { return lib.getState(handle) == HMA_STATE_STOPPED; }));
        EXPECT_GE(lib.getPos(handle), lib.getDuration(handle));
        lib.stop(handle);
        lib.clear(handle);
    }
    std::ifstream raw(out, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    std::vector<int16_t> heard(bytes.size() / 2);
    std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
    size_t lead = 0;
    while (lead + 1 < heard.size() && heard[lead] == 0 && heard[lead + 1] == 0) lead += 2;
    std::vector<int16_t> expected;
    zanto::testkit::AppendExpectedSamples(expected, 0, 100);
    ASSERT_GE(heard.size() - lead, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin() + static_cast<long>(lead)));
}

}  // namespace
}  // namespace cdtrack
