#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/cd/PrivateProfile.h"
#include "common/testing/TempDir.h"

using namespace zanto::cd;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

TEST(PrivateProfileTest, ReadsSectionsAndKeysIgnoringCase) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "p.ini";
    Put(ini,
        "\xEF\xBB\xBF[First]\r\n"
        "Key=one\r\n"
        "  Spaced Key  =  spaced value  \r\n"
        "quoted=\"  inner  \"\r\n"
        "half=\"open\r\n"
        "; comment=not a key\r\n"
        "broken line without equals\r\n"
        "=no key\r\n"
        "KEY=second occurrence\r\n"
        "empty=\r\n"
        "eq=a=b\r\n"
        "[ Second ]\n"
        "Key=two\n"
        "[first]\n"
        "Key=duplicate section\n"
        "Late=only in the duplicate\n"
        "[unterminated\n"
        "key=three\n"
        "[Last]\n"
        "tail=no line end");
    struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"first", "key", "one"},
        {"FIRST", "KEY", "one"},
        {"First", "spaced key", "spaced value"},
        {"First", "quoted", "  inner  "},
        {"First", "half", "\"open"},
        {"First", "; comment", "(default)"},
        {"First", "broken line without equals", "(default)"},
        {"First", "empty", ""},
        {"First", "eq", "a=b"},
        {"second", "key", "two"},
        {"First", "Late", "(default)"},
        {"unterminated", "key", "three"},
        {"Last", "tail", "no line end"},
        {"Missing", "key", "(default)"},
        {"First", "missing", "(default)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadProfileString(ini, c.section, c.key, "(default)", 260), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ReadProfileString(dir / "none.ini", "First", "Key", "(default)", 260), "(default)");
    EXPECT_EQ(ReadProfileString(dir.Path(), "First", "Key", "(default)", 260), "(default)");
    EXPECT_EQ(ReadProfileString(ini, "First", "Key", "(default)", 0), "");
    EXPECT_EQ(ReadProfileString(ini, "First", "Key", "(default)", 3), "on");
}

TEST(PrivateProfileTest, ReadsNumbersTheWayTheCacheStoresThem) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "n.ini";
    Put(ini, "[n]\na=12\nb= 7 \nc=-3\nd=12abc\ne=abc\nf=\ng=4294967297\nh=+5\n");
    struct {
        const char* key;
        int32_t value;
    } cases[] = {{"a", 12}, {"b", 7}, {"c", -3}, {"d", 12}, {"e", 0}, {"f", 0}, {"g", 1}, {"h", 5}, {"missing", 99}};
    for (const auto& c : cases) EXPECT_EQ(ReadProfileInt(ini, "n", c.key, 99), c.value) << c.key;
}

TEST(PrivateProfileTest, SurvivesGarbageAndHugeLines) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "g.ini";
    std::string text = "[A]\nv=" + std::string(5'000'000, 'v') + "\n";
    uint32_t x = 7;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1664525u + 1013904223u;
        text.push_back(char(x >> 24));
    }
    text += "\n[B]\nk=found\n" + std::string(3'000'000, '[');  // a last line without an end
    Put(ini, text);
    EXPECT_EQ(ReadProfileString(ini, "A", "v", "", 512), std::string(511, 'v'));
    EXPECT_EQ(ReadProfileString(ini, "B", "k", "", 512), "found");
    EXPECT_EQ(ReadProfileString("/dev/zero", "B", "k", "none", 512), "none");
}

TEST(PrivateProfileTest, CutsOnCharacterBoundaries) {
    const std::string s = "ab\xC3\xA4\xE2\x82\xAC";  // a b ä €
    struct {
        size_t max;
        std::string cut;
    } cases[] = {{0, ""}, {2, "ab"}, {3, "ab"}, {4, "ab\xC3\xA4"}, {5, "ab\xC3\xA4"}, {6, "ab\xC3\xA4"}, {7, s}, {9, s}};
    for (const auto& c : cases) EXPECT_EQ(CutOnCharacter(s, c.max), c.cut) << c.max;
    const std::string noUtf8(10, '\x80');
    EXPECT_EQ(CutOnCharacter(noUtf8, 5), std::string(5, '\x80'));
}

TEST(PrivateProfileTest, WritingChangesOnlyTheKey) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "w.ini";
    const std::string original =
        "; cache\r\n[2F0A]\r\nArtist=Old\r\nNumtracks=2\r\n\r\n[Other]\nkeep = me\n[2f0a]\nArtist=dup\n";
    Put(ini, original);
    struct {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        std::string content;
    } steps[] = {
        {"replace", "2f0a", "ARTIST", "New",
         "; cache\r\n[2F0A]\r\nARTIST=New\r\nNumtracks=2\r\n\r\n[Other]\nkeep = me\n[2f0a]\nArtist=dup\n"},
        {"add to section", "2F0A", "0", "Track one",
         "; cache\r\n[2F0A]\r\nARTIST=New\r\nNumtracks=2\r\n0=Track one\r\n\r\n[Other]\nkeep = me\n[2f0a]\nArtist=dup\n"},
        {"new section", "BEEF", "Title", "  padded  ",
         "; cache\r\n[2F0A]\r\nARTIST=New\r\nNumtracks=2\r\n0=Track one\r\n\r\n[Other]\nkeep = me\n[2f0a]\nArtist=dup\n"
         "[BEEF]\r\nTitle=\"  padded  \"\r\n"},
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(WriteProfileString(ini, s.section, s.key, s.value)) << s.name;
        EXPECT_EQ(Slurp(ini), s.content) << s.name;
        EXPECT_EQ(ReadProfileString(ini, s.section, s.key, "", 512), s.value) << s.name;
    }
    EXPECT_EQ(ReadProfileString(ini, "Other", "keep", "", 512), "me");
}

TEST(PrivateProfileTest, WritingRefusesWhatCannotBeStored) {
    zanto::testkit::TempDir dir;
    const std::string ini = dir / "r.ini";
    Put(ini, "[a]\nk=v\n");
    struct {
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        {"", "k", "v"},         {"a]b", "k", "v"},    {"a\nb", "k", "v"}, {"a", "", "v"},
        {"a", "k=x", "v"},      {"a", "k\n", "v"},    {"a", ";k", "v"},   {"a", "[k", "v"},
        {"a", "k", "two\nlines"}, {"a", "k", std::string("nul\0", 4)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(WriteProfileString(ini, c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(Slurp(ini), "[a]\nk=v\n");
    EXPECT_FALSE(WriteProfileString(dir.Path(), "a", "k", "v"));  // a folder

    // A missing folder is created; the file is new.
    const std::string nested = dir / "x/y/CDPLAYER.INI";
    ASSERT_TRUE(WriteProfileString(nested, "1", "Numtracks", "1"));
    EXPECT_EQ(Slurp(nested), "[1]\r\nNumtracks=1\r\n");
    // A last line without an end gets one before anything is added after it.
    Put(ini, "[a]\nk=v");
    ASSERT_TRUE(WriteProfileString(ini, "a", "n", "w"));
    EXPECT_EQ(Slurp(ini), "[a]\nk=v\r\nn=w\r\n");
    // No temporary file is left behind.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}
