// Adding a file, a folder's files or a playlist file to the queue.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "zantodesk/playlist/tests/PlaylistTestKit.h"

using namespace zanto::playlist;
using namespace zanto::playlist::testkit;

class PlaylistAddPathTest : public PlaylistFixture {};

TEST_F(PlaylistAddPathTest, AFolderAddsItsOwnPlainFilesByName) {
    const std::string music = dir / "music";
    std::filesystem::create_directories(music + "/sub");
    const std::string b = Mp3("music/b.mp3"), a = Mp3("music/a.mp3"), w = Wav("music/c.wav");
    Mp3("music/.hidden.mp3");
    Mp3("music/sub/deeper.mp3");
    ASSERT_EQ(mkfifo((music + "/pipe.mp3").c_str(), 0600), 0);
    std::filesystem::create_symlink(a, music + "/link.mp3");
    std::filesystem::create_symlink(music + "/sub", music + "/linked-folder");
    std::filesystem::create_symlink(music + "/nowhere", music + "/dangling.mp3");

    EXPECT_EQ(files.AddPath(music, -1), 4);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, w, music + "/link.mp3"}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(files.CurrentFile(), "");
}

TEST_F(PlaylistAddPathTest, AddsAtThePositionOrTheEnd) {
    const std::string a = Mp3("a.mp3"), b = Mp3("b.mp3");
    queue.AddAll({"x", "y"});
    struct Case {
        const char* what;
        std::string path;
        int position, result;
    } cases[] = {
        {"file at 1", a, 1, 2},
        {"file at the end", b, -1, 4},
        {"missing file", dir / "none.mp3", 0, 0},
        {"empty path", "", 2, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(files.AddPath(c.path, c.position), c.result) << c.what;
    EXPECT_EQ(Paths(), (std::vector<std::string>{"x", a, "y", b}));
    EXPECT_EQ(queue.CountMarked(), 4);
}

TEST_F(PlaylistAddPathTest, APlaylistFileIsLoadedAndBecomesTheCurrentFile) {
    const std::string a = Mp3("a.mp3"), b = Mp3("b.mp3");
    for (const char* name : {"list.PST", "list.m3u", "LIST.M3U"}) {
        queue.Clear();
        files.SetCurrentFile("");
        const std::string list = Text(name, "[Playlist]\r\n" + a + "\r\n" + b + "\r\n");
        EXPECT_EQ(files.AddPath(list, -1), 2) << name;
        EXPECT_EQ(Paths(), (std::vector<std::string>{a, b})) << name;
        EXPECT_EQ(files.CurrentFile(), list) << name;
        // A later Save writes to it.
        queue.Add(Mp3("c.mp3"));
        files.Save(files.CurrentFile());
        queue.Clear();
        files.LoadPlaylistFile(list, -1);
        EXPECT_EQ(queue.Count(), 3) << name;
    }
}

TEST_F(PlaylistAddPathTest, APlaylistInsideAFolderIsLoadedInItsPlace) {
    const std::string music = dir / "music";
    std::filesystem::create_directory(music);
    const std::string elsewhere = Mp3("elsewhere.mp3");
    const std::string a = Mp3("music/a.mp3"), z = Mp3("music/z.mp3");
    const std::string list = Text("music/m.m3u", elsewhere + "\n");
    EXPECT_EQ(files.AddPath(music, 0), 3);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, elsewhere, z}));
    EXPECT_EQ(files.CurrentFile(), list);
}

TEST_F(PlaylistAddPathTest, ThousandsOfFilesAndNothingElse) {
    const std::string big = dir / "big";
    std::filesystem::create_directory(big);
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.mp3", i);
        const std::string path = big + "/" + name;
        FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_TRUE(f);
        std::fclose(f);
        expected.push_back(path);
    }
    for (int i = 0; i < 50; ++i) std::filesystem::create_directory(big + "/d" + std::to_string(i));
    EXPECT_EQ(files.AddPath(big, -1), 3000);
    EXPECT_EQ(Paths(), expected);
    EXPECT_EQ(files.AddPath(dir / "empty-missing", -1), 3000);
}
