#include <gtest/gtest.h>

#include "common/Clock.h"
#include "common/Json.h"
#include "common/Paths.h"

using namespace zanto;

TEST(FileNameOfTest, CutsAtEitherSeparator) {
    struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"http://example.com/dir/song.mp3", "song.mp3"},
        {"C:\\Music\\a.mp3", "a.mp3"},
        {"/home/u/Music/b.mp3", "b.mp3"},
        {"plain", "plain"},
        {"/dir/sub\\mixed.mp3", "mixed.mp3"},
        {"dir/", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
}

TEST(ModuleFolderTest, IsTheFolderOfTheRunningTestWithoutTrailingSlash) {
    std::string folder = ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    EXPECT_EQ(folder, std::string(exe).substr(0, std::string(exe).rfind('/')));
}

TEST(JsonQuoteTest, EscapesAndReplacesInvalidUtf8) {
    EXPECT_EQ(JsonQuote("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(JsonQuote("Müsik"), "\"Müsik\"");
    EXPECT_EQ(JsonQuote(std::string("x\xff") + "y"), "\"x\\ufffdy\"");
}

TEST(FakeClockTest, SleepingAdvancesWithoutWaiting) {
    FakeClock clock(1000);
    clock.Sleep(std::chrono::seconds(5));
    EXPECT_EQ(clock.Now(), std::chrono::seconds(5));
    EXPECT_EQ(clock.CalendarSeconds(), 1005);
    EXPECT_EQ(clock.TotalSlept(), std::chrono::seconds(5));
}
