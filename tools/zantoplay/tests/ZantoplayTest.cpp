#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "common/testing/DummyAudio.h"
#include "common/testing/Mp3Fixture.h"
#include "common/testing/TempDir.h"
#include "plugins/contract/HmaPlugin.h"
#include "tools/zantoplay/Keys.h"
#include "tools/zantoplay/Session.h"
#include "tools/zantoplay/Status.h"

using namespace zantoplay;
using namespace zanto::testkit;
namespace fs = std::filesystem;

namespace {

TEST(ZantoplayKeysTest, BytesBecomeActions) {
    struct Case {
        std::string bytes;
        std::vector<Action> actions;
    } cases[] = {
        {" pnbq", {Action::PauseResume, Action::PauseResume, Action::Next, Action::Previous, Action::Quit}},
        {"\x1b[A\x1b[B\x1b[C\x1b[D", {Action::VolumeUp, Action::VolumeDown, Action::SeekForward, Action::SeekBack}},
        {",.-+=", {Action::SeekBack, Action::SeekForward, Action::VolumeDown, Action::VolumeUp, Action::VolumeUp}},
        {"xyz\x1b[Z\x1b", {}},  // unknown keys and a cut-off escape sequence
        {"\x1b[", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseKeys(c.bytes), c.actions) << c.bytes;
}

TEST(ZantoplayStatusTest, OneLineWithWhatIsKnown) {
    EXPECT_EQ(FormatTime(-5), "0:00");
    EXPECT_EQ(FormatTime(61999), "1:01");
    EXPECT_EQ(FormatTime(3723000), "1:02:03");
    StatusInfo full{"Song", 62000, 225000, "128", "44.1", "MP3", HMA_STATE_PLAYING, 77};
    EXPECT_EQ(FormatStatus(full), "Song  1:02/3:45  128 kbit/s  44.1 kHz  MP3  playing  vol 77");
    StatusInfo bare{"x.wav", 0, 0, "", "", "", HMA_STATE_PAUSED, -1};
    EXPECT_EQ(FormatStatus(bare), "x.wav  0:00/##:##  paused");
    bare.state = HMA_STATE_ERROR;
    EXPECT_EQ(FormatStatus(bare), "x.wav  0:00/##:##  error");
}

struct SessionTest : testing::Test {
    TempDir dir;
    std::string folder = dir / "Plug-in";
    void SetUp() override {
        fs::create_directories(folder);
        fs::copy_file(MPEGAUD_PLUGIN, folder + "/mpegaud.hma");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        ASSERT_TRUE(WriteSineMp3(dir / "a.mp3", {1.0, 44100, 2, 128, true}));
        ASSERT_TRUE(WriteSineMp3(dir / "b.mp3", {1.0, 22050, 1, 32, true}));
    }
    void TearDown() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
    }
};

TEST_F(SessionTest, PlaysEveryFileInOrderAndReportsTheOnesItCannot) {
    zanto::PluginHost host(folder);
    host.Initialise(nullptr);
    zanto::FakeClock clock;
    std::ostringstream out, err;
    Session session(host, clock, {nullptr, &out, &err, false}, 40);
    EXPECT_EQ(session.Run({dir / "a.mp3", dir / "missing.mp3", dir / "b.mp3"}), 1);
    std::string o = out.str();
    EXPECT_NE(o.find("a.mp3  0:01/0:01  128 kbit/s  44.1 kHz  MP3  stopped  vol 40"), std::string::npos) << o;
    EXPECT_NE(o.find("b.mp3  0:01/0:01  32 kbit/s  22.0 kHz  MPEG  stopped  vol 40"), std::string::npos) << o;
    EXPECT_LT(o.find("a.mp3"), o.find("b.mp3"));
    EXPECT_EQ(err.str(), dir / "missing.mp3" + "\nCannot open file or file type is unsupported.\n");
}

TEST_F(SessionTest, KeysMoveOnAndQuit) {
    zanto::PluginHost host(folder);
    host.Initialise(nullptr);
    zanto::FakeClock clock;
    std::ostringstream out, err;
    std::vector<std::string> script = {"-", "n", "", "q"};
    size_t next = 0;
    auto keys = [&] { return next < script.size() ? script[next++] : std::string(); };
    Session session(host, clock, {keys, &out, &err, false}, 50);
    EXPECT_EQ(session.Run({dir / "a.mp3", dir / "b.mp3", dir / "a.mp3"}), 0);
    EXPECT_EQ(session.Volume(), 45);
    std::string o = out.str();
    // "n" moved on to the second file, "q" ended the run before the third.
    size_t second = o.find("b.mp3");
    ASSERT_NE(second, std::string::npos) << o;
    EXPECT_EQ(o.find("a.mp3", second), std::string::npos) << o;
    EXPECT_FALSE(host.IsOpen());
}

TEST_F(SessionTest, TheProgramPlaysFromTheCommandLine) {
    fs::create_directories(dir / "bin/Plug-in");
    auto run = [&](const std::string& args) {
        std::string cmd = "ZANTO_SETTINGS='" + dir / "s.reg" + "' " + ZANTOPLAY_PATH + " " + args +
                          " </dev/null 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        std::string text;
        std::array<char, 4096> buf{};
        while (size_t n = fread(buf.data(), 1, buf.size(), p)) text.append(buf.data(), n);
        int st = pclose(p);
        return std::make_pair(WIFEXITED(st) ? WEXITSTATUS(st) : -1, text);
    };
    auto [status, text] = run("--plugins '" + folder + "' '" + dir / "a.mp3" + "'");
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("a.mp3  0:01/0:01  128 kbit/s  44.1 kHz  MP3  stopped"), std::string::npos) << text;
    std::tie(status, text) = run("--plugins '" + dir / "bin/Plug-in" + "' x.mp3");
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("no decoder plug-ins"), std::string::npos) << text;
    std::tie(status, text) = run("");
    EXPECT_EQ(status, 2);
    EXPECT_NE(text.find("usage: zantoplay"), std::string::npos);
}

}  // namespace
