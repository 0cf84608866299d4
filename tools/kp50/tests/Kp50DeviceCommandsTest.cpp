// kp50 info, ls, rm, rename, move and init against a virtual player kept in a test folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "common/testing/TempDir.h"
#include "tools/kp50/tests/ToolRun.h"
#include "memview/link/tests/DeviceRig.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

class Kp50DeviceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(VirtualPlayer::Create(player_.Path(), {0xE6}, std::nullopt, &error)) << error;
    }

    // Runs kp50 on the test's player; input goes to its stdin.
    ToolRun Kp50(const std::string& args, const std::string& input = "") {
        return RunKp50(work_.Path(), "--virtual-player '" + player_.Path() + "' " + args, input,
                       "ZANTO_VIRTUAL_CLOCK=1");
    }

    // Puts files on the player through the library, as a download would.
    void Store(const std::vector<std::pair<std::string, size_t>>& files) {
        auto player = std::make_shared<VirtualPlayer>(player_.Path(), clock_);
        VirtualPortDriver driver(player);
        MemoryDevice d(driver, clock_);
        d.SetPort(kVirtualPortBase);
        ASSERT_TRUE(d.Refresh()) << DeviceErrorName(d.LastError());
        bool ok = d.OpenLink() && d.IdentifyChips();
        uint8_t seed = 1;
        for (const auto& [name, size] : files) ok = ok && StoreFile(d, name, Pattern(size, seed++)) >= 0;
        d.CloseLink();
        ASSERT_TRUE(ok) << DeviceErrorName(d.LastError());
    }

    std::vector<std::string> JsonNames() {
        ToolRun r = Kp50("ls --json");
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> names;
        for (size_t at = 0; (at = r.out.find("\"name\":\"", at)) != std::string::npos;) {
            at += 8;
            names.push_back(r.out.substr(at, r.out.find('"', at) - at));
        }
        return names;
    }

    FakeClock clock_;
    TempDir player_;
    TempDir work_;
};

TEST_F(Kp50DeviceCommandsTest, InitAsksAndPicksTheInitializationByFormat) {
    ToolRun no = Kp50("init", "n\n");
    EXPECT_EQ(no.status, 3);
    EXPECT_NE(no.err.find("Initializing will delete all data."), std::string::npos) << no.err;
    EXPECT_EQ(no.out, "");
    EXPECT_NE(Kp50("info").out.find("format state:   1 (unformatted)"), std::string::npos);

    ToolRun scan = Kp50("init --yes");
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(scan.out, "initialize with bad-block scan\n");

    ToolRun quick = Kp50("init", "y\n");
    EXPECT_EQ(quick.status, 0) << quick.err;
    EXPECT_EQ(quick.out, "quick initialize\n");

    ToolRun info = Kp50("info --json");
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out,
              "{\"memory\":\"internal\",\"chips\":[230,0,0,0],\"total_blocks\":256,"
              "\"used_blocks\":1,\"free_blocks\":255,\"bad_blocks\":0,\"files\":0,"
              "\"format_state\":0,\"format\":\"formatted\",\"format_version\":256}\n");
}

TEST_F(Kp50DeviceCommandsTest, ListRenameMoveAndRemove) {
    ASSERT_EQ(Kp50("init --yes").status, 0);
    Store({{"a.mp3", 40000}, {"b.mp3", 70000}, {"c.mp3", 10}});

    ToolRun ls = Kp50("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_NE(ls.out.find(" 1. stored"), std::string::npos) << ls.out;
    EXPECT_NE(ls.out.find("40000"), std::string::npos);
    EXPECT_NE(ls.out.find("00:02 128Kbps 44.1KHz"), std::string::npos) << ls.out;
    EXPECT_NE(ls.out.find("c.mp3\n"), std::string::npos);

    ToolRun json = Kp50("ls --json");
    EXPECT_NE(json.out.find("{\"number\":2,\"index\":1,\"state\":0,\"size\":70000,\"blocks\":3,"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"header\":4294676548,\"name\":\"b.mp3\"}"), std::string::npos);

    EXPECT_EQ(Kp50("rename 2 'new name.mp3'").status, 0);
    EXPECT_EQ(JsonNames(), (std::vector<std::string>{"a.mp3", "new name.mp3", "c.mp3"}));
    EXPECT_EQ(Kp50("move 3 1").status, 0);
    EXPECT_EQ(JsonNames(), (std::vector<std::string>{"c.mp3", "a.mp3", "new name.mp3"}));
    EXPECT_EQ(Kp50("move 1 3").status, 0);
    EXPECT_EQ(JsonNames(), (std::vector<std::string>{"a.mp3", "new name.mp3", "c.mp3"}));
    // Into the data list: it becomes entry 51.
    EXPECT_EQ(Kp50("move 2 51").status, 0);
    ToolRun moved = Kp50("ls --json");
    EXPECT_NE(moved.out.find("{\"number\":51,\"index\":50,"), std::string::npos) << moved.out;

    EXPECT_EQ(Kp50("rm 1 51").status, 0);
    EXPECT_EQ(JsonNames(), (std::vector<std::string>{"c.mp3"}));
    EXPECT_NE(Kp50("info --json").out.find("\"used_blocks\":2,\"free_blocks\":254"),
              std::string::npos);
}

TEST_F(Kp50DeviceCommandsTest, ErrorsGoToStderrWithTheirExitStatus) {
    // No directory yet: reading block 0 fails its page checks (10 + PageChecksum).
    ToolRun ls = Kp50("ls --json");
    EXPECT_EQ(ls.status, 10 + int(DeviceError::PageChecksum));
    EXPECT_EQ(ls.out, "");
    EXPECT_NE(ls.err.find("kp50 ls: Checksum fail."), std::string::npos) << ls.err;

    // No card in this player: no flash answers on the card's chip selects.
    ToolRun card = Kp50("--card ls");
    EXPECT_EQ(card.status, 10 + int(DeviceError::NoFlash)) << card.err;
    EXPECT_EQ(card.out, "");

    ASSERT_EQ(Kp50("init --yes").status, 0);
    Store({{"a.mp3", 100}});
    struct Case {
        const char* args;
        int status;
    };
    const Case usage[] = {
        {"rm", 2},          {"rm 2", 2},          {"rm 0", 2},      {"rm x", 2},
        {"rename 1", 2},    {"rename 1 ''", 2},   {"rename 5 b", 2}, {"move 1", 2},
        {"move 1 2", 2},    {"move 61 1", 2},     {"ls extra", 2},  {"info --bogus", 2},
        {"init --force", 2},
    };
    for (const auto& c : usage) {
        ToolRun r = Kp50(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_NE(r.err, "") << c.args;
    }
    EXPECT_EQ(JsonNames(), (std::vector<std::string>{"a.mp3"}));
}

TEST_F(Kp50DeviceCommandsTest, AnOlderFormatIsNamedAndConvertedByInit) {
    {
        auto player = std::make_shared<VirtualPlayer>(player_.Path(), clock_);
        VirtualPortDriver driver(player);
        MemoryDevice d(driver, clock_);
        d.SetPort(kVirtualPortBase);
        DirectoryImage older;
        MakeEmptyDirectory(older, 256, 1000);
        older.SetVersion(0x00FF);
        older.ComputeChecksums();
        ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
        ASSERT_TRUE(d.WriteBlock(0, older.Bytes(), 0xFFFF, 0xFFFF));
        d.CloseLink();
    }
    ToolRun ls = Kp50("ls");
    EXPECT_EQ(ls.status, 10 + int(DeviceError::UnsupportedVersion));
    EXPECT_NE(ls.err.find("older format (version 0x00FF)"), std::string::npos) << ls.err;
    EXPECT_NE(Kp50("info").out.find("format state:   3 (older-format)"), std::string::npos);
    ToolRun init = Kp50("init --yes");
    EXPECT_EQ(init.status, 0) << init.err;
    EXPECT_EQ(init.out, "older format converted\n");
    EXPECT_EQ(Kp50("ls").status, 0);
}

}  // namespace
