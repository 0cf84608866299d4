#include <gtest/gtest.h>

#include <set>

#include "memview/link/TransferTexts.h"
#include "memview/link/UploadName.h"

using namespace zanto;

namespace {

TEST(UploadNameTest, NamesFromThePlayerStayInsideTheFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"song.mp3", "song.mp3"},
        {"../../etc/passwd", ".._.._etc_passwd"},
        {"a\\b.mp3", "a_b.mp3"},
        {"/abs.mp3", "_abs.mp3"},
        {".", "_"},
        {"..", "__"},
        {"", "_"},
        {std::string("x\0y", 3), "x_y"},
        {"...mp3", "...mp3"},  // only the names "." and ".." name folders
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(SafeFileName(in), out) << in;
}

TEST(UploadNameTest, ClashRuleNumbersTheFirstFreeName) {
    struct Case {
        std::set<std::string> existing;
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "song.mp3", "/d/song.mp3"},
        {{"/d/song.mp3", "/d/song(1).mp3"}, "song.mp3", "/d/song(2).mp3"},
        {{"/d/readme"}, "readme", "/d/readme(1)."},
        {{"/d/live.set.mp3"}, "live.set.mp3", "/d/live(1).set.mp3"},
        {{"/d/\"a.b\".mp3"}, "\"a.b\".mp3", "/d/\"a.b\"(1).mp3"},
        {{"/d/.hidden"}, ".hidden", "/d/(1).hidden"},
    };
    for (const Case& c : cases) {
        auto exists = [&](const std::string& p) { return c.existing.count(p) > 0; };
        EXPECT_EQ(ClashFreePath("/d", c.name, exists), c.expected) << c.name;
        EXPECT_EQ(ClashFreePath("/d/", c.name, exists), c.expected) << c.name;
    }
    // Every number taken: no name rather than an endless search.
    EXPECT_EQ(ClashFreePath("/d", "x.mp3", [](const std::string&) { return true; }), "");
}

TEST(UploadNameTest, SubstituteFillsNumberedPlaces) {
    EXPECT_EQ(texts::Substitute(texts::kCannotReadRenamed, {"/a/b.mp3", "c.mp3"}),
              "Cannot open or read file,\n /a/b.mp3(renamed to c.mp3).\n\nContinue?");
    EXPECT_EQ(texts::Substitute("100% %1 %3", {"x"}), "100% x %3");
}

}  // namespace
