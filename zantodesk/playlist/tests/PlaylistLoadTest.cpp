// Reading playlist files of either format, including damaged ones.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "zantodesk/playlist/tests/PlaylistTestKit.h"

using namespace zanto::playlist;
using namespace zanto::playlist::testkit;

class PlaylistLoadTest : public PlaylistFixture {};

TEST_F(PlaylistLoadTest, AddsTheLinesThatNameSomething) {
    const std::string a = Mp3("a.mp3"), b = Mp3("b.mp3"), c = Mp3("c.mp3");
    const std::string sub = dir / "folder";
    std::filesystem::create_directory(sub);
    const std::string gone = dir / "deleted.mp3";
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> added;
    } cases[] = {
        {"crlf.pst", "[Playlist]\r\n" + a + "\r\n" + b + "\r\n", {a, b}},
        {"lf.m3u", a + "\n" + b + "\n", {a, b}},
        {"no-last-end.m3u", a + "\n" + b, {a, b}},
        {"cr-at-the-end.m3u", a + "\r\n" + b + "\r", {a, b}},
        {"deleted.pst", "[Playlist]\r\n" + a + "\r\n" + gone + "\r\n" + c + "\r\n", {a, c}},
        {"extended.m3u", "#EXTM3U\r\n#EXTINF:123,Artist - A\r\n" + a + "\r\n#EXTINF:5,B\r\n" + b + "\r\n", {a, b}},
        {"utf8-mark.m3u", "\xEF\xBB\xBF" + a + "\n" + b + "\n", {a, b}},
        {"blank-lines.m3u", "\n\r\n" + a + "\n\n\n" + b + "\n\n", {a, b}},
        {"header-anywhere.m3u", "[Playlist]\n" + a + "\n[Playlist]\n" + b, {a, b}},
        {"untrimmed.m3u", " " + a + "\n" + b + " \n" + c + "\n", {c}},
        {"folder-line.pst", "[Playlist]\r\n" + sub + "\r\n" + a + "\r\n", {sub, a}},
        {"nul-byte.m3u", a + std::string("\0x", 2) + "\n" + b + "\n", {b}},
        {"windows-paths.m3u", "C:\\Music\\a.mp3\r\n" + b + "\r\n", {b}},
        {"empty.pst", "", {}},
    };
    for (const auto& t : cases) {
        queue.Clear();
        const std::string path = Text(t.name, t.content);
        EXPECT_EQ(files.LoadPlaylistFile(path, 0), int(t.added.size())) << t.name;
        EXPECT_EQ(Paths(), t.added) << t.name;
        EXPECT_EQ(files.CurrentFile(), path) << t.name;
        EXPECT_EQ(queue.CountMarked(), int(t.added.size())) << t.name;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlaylistLoadTest, InsertsAtThePositionAndAdvancesIt) {
    const std::string a = Mp3("a.mp3"), b = Mp3("b.mp3");
    queue.AddAll({"x", "y", "z"});
    const std::string list = Text("two.m3u", a + "\n" + b + "\n");
    EXPECT_EQ(files.LoadPlaylistFile(list, 1), 3);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"x", a, b, "y", "z"}));
    EXPECT_EQ(files.LoadPlaylistFile(list, -1), 7);  // -1: the end
    EXPECT_EQ(files.LoadPlaylistFile(list, 99), 9);  // past the end: the end
    EXPECT_EQ(queue.Count(), 9);
}

TEST_F(PlaylistLoadTest, RelativeNamesAreTakenAgainstTheCurrentFolder) {
    const std::string a = Mp3("a.mp3");
    std::filesystem::create_directory(dir / "sub");
    const std::string b = Mp3("sub/b.mp3");
    const std::string list = Text("rel.m3u", "a.mp3\nsub/b.mp3\nmissing.mp3\n");
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    files.LoadPlaylistFile(list, -1);
    std::filesystem::current_path(saved);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
}

TEST_F(PlaylistLoadTest, AFileThatCannotBeOpenedStillBecomesTheCurrentFile) {
    const std::string missing = dir / "missing.pst";
    EXPECT_EQ(files.LoadPlaylistFile(missing, -1), 0);
    EXPECT_EQ(files.CurrentFile(), missing);
    // Neither a folder nor a FIFO is read: the FIFO would wait for a writer forever.
    EXPECT_EQ(files.LoadPlaylistFile(dir.Path(), -1), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.m3u").c_str(), 0600), 0);
    EXPECT_EQ(files.LoadPlaylistFile(dir / "pipe.m3u", -1), 0);
    EXPECT_EQ(files.LoadPlaylistFile("/dev/zero", -1), 0);
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlaylistLoadTest, DamagedFilesAddOnlyWhatTheyName) {
    const std::string a = Mp3("a.mp3");
    std::string garbage;
    uint32_t x = 12345;
    for (int i = 0; i < 300000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(char(x >> 23));
    }
    std::string invalidName = dir / "bad\xff\xfe.mp3";
    zanto::testkit::WriteFile(invalidName, zanto::testkit::MpegFrames(zanto::testkit::kMp3Header, 1));
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> added;
    } cases[] = {
        {"garbage.m3u", garbage + "\n" + a + "\n", {a}},
        {"long-line.m3u", std::string(200000, 'x') + "\n" + a + "\n" + std::string(5000, '/') + a, {a}},
        {"no-line-ends.m3u", std::string(1 << 20, 'q'), {}},
        {"invalid-utf8.m3u", "\xc3\x28\n" + invalidName + "\n", {invalidName}},
        {"only-nuls.pst", std::string(70000, '\0'), {}},
    };
    for (const auto& t : cases) {
        queue.Clear();
        EXPECT_EQ(files.LoadPlaylistFile(Text(t.name, t.content), -1), int(t.added.size())) << t.name;
        EXPECT_EQ(Paths(), t.added) << t.name;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlaylistLoadTest, AReadErrorIsReportedOnce) {
    // Reading a process's own memory file from offset 0 fails with an I/O error, although the
    // file opens as a regular one.
    const int probe = ::open("/proc/self/mem", O_RDONLY);
    if (probe < 0) GTEST_SKIP() << "/proc/self/mem cannot be opened here";
    ::close(probe);
    files.LoadPlaylistFile("/proc/self/mem", -1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(std::strerror(EIO)), std::string::npos) << messages.shown[0].text;
    EXPECT_NE(messages.shown[0].text.find("/proc/self/mem"), std::string::npos);
    EXPECT_EQ(messages.shown[0].type, kBoxOk);
    EXPECT_EQ(files.CurrentFile(), "/proc/self/mem");
}

TEST_F(PlaylistLoadTest, AFullQueueIsReportedOnceAndStopsTheLoad) {
    const std::string a = Mp3("a.mp3");
    for (int i = 1; i < zanto::player::PlayQueue::kMaxEntries; ++i) queue.Add("f");
    files.LoadPlaylistFile(Text("three.m3u", a + "\n" + a + "\n" + a + "\n"), -1);
    EXPECT_EQ(queue.Count(), zanto::player::PlayQueue::kMaxEntries);
    EXPECT_EQ(queue.Entries().back().path, a);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("65536"), std::string::npos);
}
