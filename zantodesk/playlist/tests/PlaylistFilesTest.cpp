// Saving the queue as a playlist file, and reading saved files back.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "zantodesk/playlist/PlaylistNames.h"
#include "zantodesk/playlist/tests/PlaylistTestKit.h"

using namespace zanto::playlist;
using namespace zanto::playlist::testkit;

TEST(PlaylistNamesTest, LastFourCharactersIgnoringCase) {
    struct {
        const char* name;
        bool pst, playlist;
    } cases[] = {
        {"/m/list.pst", true, true},  {"/m/LIST.PsT", true, true}, {"/m/list.m3u", false, true},
        {"/m/list.M3U", false, true}, {"/m/list.txt", false, false}, {"pst", false, false},
        {".pst", true, true},         {"/m/list.pst.bak", false, false}, {"", false, false},
        {"/m/xpst", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPstName(c.name), c.pst) << c.name;
        EXPECT_EQ(IsPlaylistName(c.name), c.playlist) << c.name;
    }
}

class PlaylistSaveTest : public PlaylistFixture {};

TEST_F(PlaylistSaveTest, WritesTheFormatTheNameChooses) {
    const std::string a = Mp3("a.mp3"), b = Mp3("b.mp3"), c = Mp3("c.mp3"), w = Wav("w.wav");
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        bool asks;
        std::string content;
    } cases[] = {
        {"three.pst", {a, b, c}, false, "[Playlist]\r\n" + a + "\r\n" + b + "\r\n" + c + "\r\n"},
        {"upper.PST", {a}, false, "[Playlist]\r\n" + a + "\r\n"},
        {"three.M3U", {a, b, c}, true, a + "\r\n" + b + "\r\n" + c + "\r\n"},
        {"three.txt", {a, b, c}, true, a + "\r\n" + b + "\r\n" + c + "\r\n"},
        {"mixed.m3u", {w, a}, true, a + "\r\n"},
        {"wav-in.pst", {w, a}, false, "[Playlist]\r\n" + w + "\r\n" + a + "\r\n"},
        {"empty.pst", {}, false, ""},
        {"nothing-mpeg.m3u", {w, dir / "missing.mp3"}, true, ""},
    };
    for (const auto& t : cases) {
        queue.Clear();
        messages.shown.clear();
        queue.AddAll(t.entries);
        const std::string path = dir / t.name;
        files.Save(path);
        EXPECT_EQ(Read(path), t.content) << t.name;
        ASSERT_EQ(messages.shown.size(), t.asks ? 1u : 0u) << t.name;
        if (t.asks) {
            EXPECT_EQ(messages.shown[0].text, kM3uQuestion);
            EXPECT_EQ(messages.shown[0].type, kBoxOkCancel | kBoxDefaultButton2);
        }
    }
}

TEST_F(PlaylistSaveTest, WritesInListOrderWhateverThePlayMode) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back(Mp3("t" + std::to_string(i) + ".mp3"));
    queue.AddAll(names);
    queue.SetMode(zanto::player::kPlayRandom);
    files.Save(dir / "list.pst");
    std::string expected = "[Playlist]\r\n";
    for (const auto& n : names) expected += n + "\r\n";
    EXPECT_EQ(Read(dir / "list.pst"), expected);
}

TEST_F(PlaylistSaveTest, DecliningTheQuestionLeavesTheFileUntouched) {
    const std::string target = Text("old.m3u", "keep me\n");
    queue.Add(Mp3("a.mp3"));
    messages.answer = kAnswerCancel;
    files.Save(target);
    EXPECT_EQ(Read(target), "keep me\n");
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PlaylistSaveTest, AFileThatCannotBeCreatedIsPassedOverSilently) {
    queue.Add(Mp3("a.mp3"));
    files.Save(dir / "no-such-folder/list.pst");
    EXPECT_TRUE(messages.shown.empty());
    std::filesystem::create_directory(dir / "folder.pst");
    files.Save(dir / "folder.pst");
    ASSERT_EQ(mkfifo((dir / "pipe.pst").c_str(), 0600), 0);
    files.Save(dir / "pipe.pst");  // must not wait for a reader
    EXPECT_TRUE(messages.shown.empty());
    // A FIFO in the list is not opened to probe it, so an M3U save does not wait either.
    queue.Add(dir / "pipe.pst");
    files.Save(dir / "list.m3u");
    EXPECT_EQ(Read(dir / "list.m3u"), dir / "a.mp3" + "\r\n");
}

TEST_F(PlaylistSaveTest, AWriteErrorIsReportedOnceAndKeepsTheWholeLinesBefore) {
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) names.push_back(Mp3("track" + std::to_string(i) + ".mp3"));
    queue.AddAll(names);
    const std::string header = "[Playlist]\r\n";
    const size_t line = names[0].size() + 2;
    // A file-size limit in the middle of the fourth line makes the writes fail there.
    const rlim_t limit = header.size() + 3 * line + line / 2;
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    files.Save(dir / "big.pst");
    setrlimit(RLIMIT_FSIZE, &old);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(Read(dir / "big.pst"), header + names[0] + "\r\n" + names[1] + "\r\n" + names[2] + "\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(std::strerror(EFBIG)), std::string::npos) << messages.shown[0].text;
    EXPECT_NE(messages.shown[0].text.find(dir / "big.pst"), std::string::npos);
    EXPECT_EQ(messages.shown[0].type, kBoxOk);
}

TEST_F(PlaylistSaveTest, RoundTripsInBothFormats) {
    const std::vector<std::string> names = {Mp3("one.mp3"), Mp3("Zwei Lieder – ä.mp3"),
                                            Mp3("three (live).MP3"), Mp3("ends in cr\r")};
    for (const char* name : {"round.pst", "round.m3u"}) {
        queue.Clear();
        queue.AddAll(names);
        queue.Add(dir / "line\nfeed.mp3");  // cannot be written as one line: left out
        files.Save(dir / name);
        queue.Clear();
        EXPECT_EQ(files.LoadPlaylistFile(dir / name, -1), int(names.size())) << name;
        EXPECT_EQ(Paths(), names) << name;
        EXPECT_EQ(files.CurrentFile(), dir / name);
    }
}
