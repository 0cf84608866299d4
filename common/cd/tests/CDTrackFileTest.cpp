#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/cd/CDTime.h"
#include "common/cd/CDTrackFile.h"
#include "common/cd/PrivateProfile.h"
#include "common/testing/MemoryMediaStream.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto::cd;
using zanto::testkit::Bytes;
using zanto::testkit::MemoryMediaStream;

namespace {

CDTrackFileData Sample() {
    CDTrackFileData d;
    d.trackNumber = 12;
    d.discId = 0x2F0A;
    d.startSector = 18000;
    d.sectorCount = 15415;
    d.startMsf = MakeMsf(4, 2, 10);
    d.lengthMsf = MakeMsf(3, 25, 40);
    return d;
}

Bytes SampleBytes() {
    const auto a = BuildTrackFile(Sample());
    return Bytes(a.begin(), a.end());
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

int ReadBytes(const Bytes& b, CCDTrackFile* out = nullptr) {
    MemoryMediaStream stream(b);
    CCDTrackFile f;
    const int r = f.Read(stream);
    if (out) *out = f;
    return r;
}

}  // namespace

TEST(CDTimeTest, RedBookAndMsfSwapFrameAndMinute) {
    struct {
        uint32_t redBook, msf, sectors;
    } cases[] = {
        {0x00031928, 0x00281903, 3 * 4500 + 25 * 75 + 40},  // 3:25.40: frame 0x28, second 0x19, minute 3
        {0x00000000, 0x00000000, 0},
        {0x004A3B4A, 0x004A3B4A, 74 * 4500 + 59 * 75 + 74},
        {0x00020001, 0x00010002, 2 * 4500 + 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RedBookToMsf(c.redBook), c.msf);
        EXPECT_EQ(MsfToRedBook(c.msf), c.redBook);
        EXPECT_EQ(SectorsOfMsf(c.msf), c.sectors);
        EXPECT_EQ(MsfOfSectors(c.sectors), c.msf);
    }
    EXPECT_EQ(SectorsOfMsf(MakeMsf(4, 0, 0)), 18000u);  // the second track after a 4:00.00 one
}

TEST(CDTrackFileTest, HasTheFortyFourByteLayout) {
    const Bytes expected = {
        'R', 'I', 'F', 'F', 36, 0, 0, 0, 'C', 'D', 'D', 'A', 'f', 'm', 't', ' ', 24, 0, 0, 0,
        1, 0,                // version
        12, 0,               // track
        0x0A, 0x2F, 0, 0,    // disc identity
        0x50, 0x46, 0, 0,    // start sector 18000
        0x37, 0x3C, 0, 0,    // 15415 sectors
        10, 2, 4, 0,         // start, Red Book: frame, second, minute
        40, 25, 3, 0,        // length
    };
    EXPECT_EQ(SampleBytes(), expected);
}

TEST(CDTrackFileTest, ReadsWhatWasWritten) {
    zanto::testkit::TempDir dir;
    ASSERT_EQ(WriteTrackFile(dir / "Track12.cda", Sample()), 0);
    std::ifstream in(dir / "Track12.cda", std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), kTrackFileSize);
    CCDTrackFile f;
    ASSERT_EQ(ReadBytes(bytes, &f), 1);
    EXPECT_EQ(f.RiffEnd(), 44u);
    EXPECT_EQ(f.Version(), 1);
    EXPECT_EQ(f.TrackNumber(), 12);
    EXPECT_EQ(f.DiscId(), 0x2F0Au);
    EXPECT_EQ(f.StartSector(), 18000u);
    EXPECT_EQ(f.SectorCount(), 15415u);
    EXPECT_EQ(f.StartMsf(), MakeMsf(4, 2, 10));
    EXPECT_EQ(f.LengthMsf(), MakeMsf(3, 25, 40));
    EXPECT_EQ(f.GetDuration(), 205000u);  // the 40 frames are dropped

    EXPECT_NE(WriteTrackFile(dir / "no/such/folder/Track1.cda", Sample()), 0);
}

TEST(CDTrackFileTest, RejectsWhatIsNoTrackFile) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    auto with = [](size_t at, std::initializer_list<uint8_t> v) {
        Bytes b = SampleBytes();
        std::copy(v.begin(), v.end(), b.begin() + std::ptrdiff_t(at));
        return b;
    };
    cases.push_back({"not RIFF", with(0, {'R', 'I', 'F', 'X'})});
    cases.push_back({"other form", with(8, {'W', 'A', 'V', 'E'})});
    cases.push_back({"no fmt", with(12, {'d', 'a', 't', 'a'})});
    cases.push_back({"version 2", with(20, {2, 0})});
    cases.push_back({"version 0", with(20, {0, 0})});
    cases.push_back({"track 0", with(22, {0, 0})});
    cases.push_back({"RIFF size too small", with(4, {0, 0, 0, 0})});
    cases.push_back({"empty", {}});
    for (size_t n = 1; n < kTrackFileSize; n += 5) {
        Bytes b = SampleBytes();
        b.resize(n);
        cases.push_back({"truncated", b});
    }
    for (const auto& c : cases) {
        CCDTrackFile f;
        EXPECT_EQ(ReadBytes(c.bytes, &f), 0) << c.name << " " << c.bytes.size();
        EXPECT_EQ(f.TrackNumber(), 0) << c.name;
        char title[16] = "x";
        EXPECT_EQ(f.GetTitle(title, sizeof title), 0);
        EXPECT_STREQ(title, "");
    }
}

TEST(CDTrackFileTest, WalksChunksAndStopsOnBadSizes) {
    // "RIFF", size, then chunks of 8-byte heads: a leading unknown chunk is skipped.
    auto riff = [](const Bytes& body, uint32_t riffSize) {
        Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
        PutLe32(b, 4, riffSize);
        zanto::testkit::Append(b, body);
        return b;
    };
    const Bytes sample = SampleBytes();
    const Bytes track(sample.begin() + 8, sample.end());  // from "CDDA" on
    Bytes junkFirst = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4};
    zanto::testkit::Append(junkFirst, track);
    Bytes backwards = {'J', 'U', 'N', 'K', 0xF8, 0xFF, 0xFF, 0xFF};  // -8 if taken as signed
    zanto::testkit::Append(backwards, track);
    Bytes pastEnd = {'J', 'U', 'N', 'K', 0x00, 0x10, 0, 0};
    zanto::testkit::Append(pastEnd, track);
    Bytes zeroSizes;
    for (int i = 0; i < 200000; ++i) zanto::testkit::Append(zeroSizes, Bytes{'J', 'U', 'N', 'K', 0, 0, 0, 0});
    zanto::testkit::Append(zeroSizes, track);

    struct {
        const char* name;
        Bytes bytes;
        int result;
    } cases[] = {
        {"plain", riff(track, 36), 1},
        {"unknown chunk first", riff(junkFirst, uint32_t(junkFirst.size())), 1},
        {"size pointing backwards", riff(backwards, uint32_t(backwards.size())), 0},
        {"size past the end", riff(pastEnd, uint32_t(pastEnd.size())), 0},
        {"RIFF size past the end", riff(pastEnd, 0xFFFFFFFFu), 0},
        {"endless empty chunks", riff(zeroSizes, 0xFFFFFFF0u), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadBytes(c.bytes), c.result) << c.name;
}

TEST(CDTrackFileTest, AStreamErrorMakesTheFileInvalid) {
    for (uint64_t after : {0, 4, 8, 12, 43}) {
        MemoryMediaStream stream(SampleBytes());
        stream.FailAfter(after);
        CCDTrackFile f;
        EXPECT_EQ(f.Read(stream), 0) << after;
    }
    MemoryMediaStream whole(SampleBytes());
    CCDTrackFile f;
    EXPECT_EQ(f.Read(whole), 1);
    // The stream is read from its start, wherever it stood.
    whole.Seek(20, 0);
    EXPECT_EQ(f.Read(whole), 1);
}

TEST(CDTrackFileTest, TitleComesFromTheTrackCache) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "CDPLAYER.INI";
    ASSERT_TRUE(WriteProfileString(ini, "2F0A", "0", "First"));
    ASSERT_TRUE(WriteProfileString(ini, "2F0A", "11", "Twelfth – Zwölf"));
    ASSERT_TRUE(WriteProfileString(ini, "02F0A", "10", "wrong section"));

    struct {
        uint16_t track;
        uint32_t size;
        std::string title;
    } cases[] = {
        {1, 512, "First"},
        {12, 512, "Twelfth – Zwölf"},
        {12, 6, "Twelf"},
        {12, 11, "Twelfth "},        // the dash's three bytes would not fit
        {12, 1, ""},
        {11, 512, ""},               // key "10" only exists in another section
        {2, 512, ""},
    };
    for (const auto& c : cases) {
        CDTrackFileData d = Sample();
        d.trackNumber = c.track;
        const auto a = BuildTrackFile(d);
        CCDTrackFile f;
        ASSERT_EQ(ReadBytes(Bytes(a.begin(), a.end()), &f), 1);
        std::vector<char> buffer(c.size, 'x');
        EXPECT_EQ(f.GetTitle(buffer.data(), c.size, ini), int(c.title.size())) << c.track << "/" << c.size;
        EXPECT_EQ(std::string(buffer.data()), c.title) << c.track << "/" << c.size;
    }

    // The cache path comes from the environment when not given.
    setenv("ZANTO_CDPLAYER_INI", ini.c_str(), 1);
    CCDTrackFile f;
    ASSERT_EQ(ReadBytes(SampleBytes(), &f), 1);
    char title[512];
    EXPECT_EQ(f.GetTitle(title, sizeof title), 18);
    EXPECT_EQ(f.GetTitle(nullptr, 10), 0);
    unsetenv("ZANTO_CDPLAYER_INI");
}
