#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "common/cd/CDDiscNames.h"
#include "common/testing/TempDir.h"

using namespace zanto::cd;

namespace {

struct FakeDrive : CDDiscInfoSource {
    CDDiscInfo info;
    int result = 1;
    int GetDiscInfo(CDDiscInfo& out) override {
        out = info;
        return result;
    }
};

}  // namespace

TEST(CDPlayerIniTest, SectionAndKeyNames) {
    EXPECT_EQ(DiscSectionName(0x2F0A), "2F0A");
    EXPECT_EQ(DiscSectionName(0), "0");
    EXPECT_EQ(DiscSectionName(0xFFFFFFFFu), "FFFFFFFF");
    EXPECT_EQ(DiscSectionName(0x00ABCDEF), "ABCDEF");
    EXPECT_EQ(TrackKey(0), "0");
    EXPECT_EQ(TrackKey(11), "11");
}

TEST(CDPlayerIniTest, PathFromTheEnvironmentOrTheDataFolder) {
    setenv("ZANTO_CDPLAYER_INI", "/somewhere/cache.ini", 1);
    EXPECT_EQ(CdPlayerIniPath(), "/somewhere/cache.ini");
    unsetenv("ZANTO_CDPLAYER_INI");
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(CdPlayerIniPath(), "/data/zanto/CDPLAYER.INI");
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST(LoadDiscNamesTest, NamesOnlyWhenTheTrackCountMatches) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "CDPLAYER.INI";
    std::ofstream(ini, std::ios::binary)
        << "[2F0A]\r\nArtist=The Band\r\nTitle=The Album\r\nNumtracks=3\r\n0=One\r\n2=Three\r\n"
        << "[02F0A]\r\nNumtracks=3\r\n1=Wrong\r\n"
        << "[BEEF]\r\nartist=Other\r\nNUMTRACKS=11\r\n0=x\r\n"
        << "[c0de]\r\nNumtracks=2\r\n0=Lower-case section\r\n1=Two\r\n";

    struct Case {
        const char* name;
        uint32_t discId;
        uint8_t tracks;
        int driveResult;
        int result;
        CCDDiscNames names;
    } cases[] = {
        {"stored", 0x2F0A, 3, 1, 1, {"The Band", "The Album", {"One", "", "Three"}}},
        {"count differs", 0xBEEF, 12, 1, 0, {"Other", "", {}}},
        {"section compared ignoring case", 0xC0DE, 2, 1, 1, {"", "", {"Lower-case section", "Two"}}},
        {"no section", 0x1234, 3, 1, 0, {"", "", {}}},
        {"drive fails", 0x2F0A, 3, 0, 0, {"kept", "kept", {"kept"}}},
    };
    for (const auto& c : cases) {
        FakeDrive drive;
        drive.info.discId = c.discId;
        drive.info.trackCount = c.tracks;
        drive.result = c.driveResult;
        CCDDiscNames names{"kept", "kept", {"kept"}};
        EXPECT_EQ(LoadDiscNames(drive, names, ini), c.result) << c.name;
        EXPECT_EQ(names.artist, c.names.artist) << c.name;
        EXPECT_EQ(names.title, c.names.title) << c.name;
        EXPECT_EQ(names.tracks, c.names.tracks) << c.name;
    }

    FakeDrive drive;
    drive.info.discId = 0x2F0A;
    drive.info.trackCount = 3;
    CCDDiscNames names;
    EXPECT_EQ(LoadDiscNames(drive, names, dir / "missing.ini"), 0);
}

TEST(LoadDiscNamesTest, LongNamesAreCutToTheirBuffers) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "CDPLAYER.INI";
    const std::string huge(2'000'000, 'a');
    std::ofstream(ini, std::ios::binary) << "[1]\nArtist=" << huge << "\nNumtracks=1\n0=" << huge;
    FakeDrive drive;
    drive.info.discId = 1;
    drive.info.trackCount = 1;
    CCDDiscNames names;
    ASSERT_EQ(LoadDiscNames(drive, names, ini), 1);
    EXPECT_EQ(names.artist, std::string(259, 'a'));
    ASSERT_EQ(names.tracks.size(), 1u);
    EXPECT_EQ(names.tracks[0], std::string(259, 'a'));
}
