// kp50 ports, kp50 virtual create and the global device options, run as a user runs them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "common/testing/TempDir.h"
#include "tools/kp50/tests/ToolRun.h"
#include "memview/link/VirtualPortDriver.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

// Runs kp50 with its own settings file, so a stored port stays within the test.
ToolRun Kp50(const TempDir& work, const std::string& args) {
    return RunKp50(work.Path(), args, "",
                   "ZANTO_VIRTUAL_CLOCK=1 ZANTO_SETTINGS='" + (work / "settings.reg") + "'");
}

std::vector<uint8_t> Header(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> h(24);
    in.read(reinterpret_cast<char*>(h.data()), 24);
    return in ? h : std::vector<uint8_t>{};
}

}  // namespace

TEST(Kp50Virtual, CreatesThePlayerItIsAskedFor) {
    struct Case {
        std::string options;
        std::vector<uint8_t> internalCodes;
        std::vector<uint8_t> cardCodes;  // empty: no card file
        std::string says;
    };
    const Case cases[] = {
        {"", {0x75, 0x73, 0, 0, 0, 0, 0, 0}, {0x75, 0, 0, 0, 0, 0, 0, 0},
         "internal 0x75 0x73 (1536 blocks), card 0x75 (1024 blocks)"},
        {"--internal 0xE6 --card none", {0xE6, 0, 0, 0, 0, 0, 0, 0}, {}, "internal 0xE6 (256 blocks), card none"},
        {"--internal 73,0,e6 --card 0x00,0xE6", {0x73, 0, 0xE6, 0, 0, 0, 0, 0},
         {0, 0xE6, 0, 0, 0, 0, 0, 0}, "internal 0x73 empty 0xE6 (768 blocks), card empty 0xE6 (256 blocks)"},
    };
    for (const auto& c : cases) {
        TempDir work;
        ToolRun r = Kp50(work, "virtual create " + (work / "p") + " " + c.options);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        auto internal = Header(work / "p/internal.flash");
        ASSERT_EQ(internal.size(), 24u);
        EXPECT_EQ(std::vector<uint8_t>(internal.begin() + 16, internal.end()), c.internalCodes);
        auto card = Header(work / "p/card.flash");
        if (c.cardCodes.empty()) {
            EXPECT_TRUE(card.empty());
        } else {
            ASSERT_EQ(card.size(), 24u);
            EXPECT_EQ(card[12], 1);
            EXPECT_EQ(std::vector<uint8_t>(card.begin() + 16, card.end()), c.cardCodes);
        }
    }
}

TEST(Kp50Virtual, RefusesBadRequestsAndKeepsAnExistingPlayer) {
    TempDir work;
    ASSERT_EQ(Kp50(work, "virtual create " + (work / "p") + " --internal E6 --card none").status, 0);
    {
        std::fstream f(work / "p/internal.flash", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(64);
        f.put('\x12');  // stands for music already on it
    }
    struct Case {
        std::string args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {"virtual create " + (work / "p"), 1, "already holds a virtual player"},
        {"virtual create " + (work / "q") + " --internal 0x99", 2, "unknown chip code 0x99"},
        {"virtual create " + (work / "q") + " --internal 75,75,75,75,75", 2, "at most 4 chips"},
        {"virtual create " + (work / "q") + " --card 0x1234", 2, "malformed chip codes"},
        {"virtual create " + (work / "q") + " --internal", 2, "incomplete option"},
        {"virtual create", 2, "no folder named"},
        {"virtual make " + (work / "q"), 2, "expected 'create'"},
        {"virtual create " + (work / "q") + " " + (work / "r"), 2, "more than one folder"},
    };
    for (const auto& c : cases) {
        ToolRun r = Kp50(work, c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    EXPECT_NE(::access((work / "q/internal.flash").c_str(), F_OK), 0);
    std::ifstream f(work / "p/internal.flash", std::ios::binary);
    f.seekg(64);
    EXPECT_EQ(f.get(), 0x12);
    EXPECT_EQ(Kp50(work, "virtual create " + (work / "p") + " --force --card none").status, 0);
    std::ifstream g(work / "p/internal.flash", std::ios::binary);
    g.seekg(64);
    EXPECT_EQ(g.get(), 0xFF);
}

TEST(Kp50Ports, TellsWhichPortTheVirtualPlayerAnswersOn) {
    TempDir work;
    ASSERT_EQ(Kp50(work, "virtual create " + (work / "p") + " --internal E6").status, 0);
    const std::string player = "--virtual-player '" + (work / "p") + "' ";
    ToolRun text = Kp50(work, player + "ports");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("LPT1  0x00000378  standard port at 0x378, the player answers"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("LPT2  -           absent: the virtual machine has only LPT1"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("port setting: not chosen yet"), std::string::npos) << text.out;

    ToolRun json = Kp50(work, player + "ports --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("[{\"name\":\"LPT1\",\"value\":888,\"base\":888,\"kind\":\"standard\","
                             "\"player\":true,\"problem\":null},", 0), 0u) << json.out;

    // Held by another program (this test): the port is named as busy, and a device command
    // fails with PortBusy: exit 10 + 24.
    VirtualPortDriver holder(work / "p");
    ASSERT_TRUE(holder.Acquire("LPT1"));
    ToolRun busy = Kp50(work, player + "ports");
    EXPECT_NE(busy.out.find("(the port is held by another program)"), std::string::npos) << busy.out;
    ToolRun info = Kp50(work, player + "info");
    EXPECT_EQ(info.status, 34) << info.err;
    EXPECT_NE(info.err.find("kp50 info: Parallel port is currently unavailable."), std::string::npos)
        << info.err;
    EXPECT_NE(info.err.find("LPT1: the port is held by another program"), std::string::npos) << info.err;
    EXPECT_TRUE(info.out.empty());
    holder.Release();
}

TEST(Kp50Options, PortComesFromTheOptionTheSettingOrASearch) {
    TempDir work;
    ASSERT_EQ(Kp50(work, "virtual create " + (work / "p") + " --internal E6 --card none").status, 0);
    const std::string player = "--virtual-player '" + (work / "p") + "' ";
    // No setting yet: the search finds LPT1 and stores it.
    EXPECT_EQ(Kp50(work, player + "info").status, 0);
    EXPECT_NE(Slurp(work / "settings.reg").find("\"port\"=dword:00000378"), std::string::npos)
        << Slurp(work / "settings.reg");
    EXPECT_NE(Kp50(work, player + "ports").out.find("port setting: 0x00000378"), std::string::npos);
    struct Case {
        std::string options;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"--port 0x378", 0, ""},
        {"--port 888", 0, ""},
        {"--port LPT1", 0, ""},
        {"--port 0x278", 16, "Device is not connected."},  // 10 + NotConnected
        {"--port LPT3", 2, "--port LPT3: not a port value"},
        {"--port nonsense", 2, "not a port value"},
        {"--port", 2, "usage:"},
        {"--card", 31, "No flash memory in the device."},  // 10 + NoFlash: no card inserted
    };
    for (const auto& c : cases) {
        ToolRun r = Kp50(work, player + c.options + " info");
        EXPECT_EQ(r.status, c.status) << c.options << ": " << r.err;
        if (!c.err.empty()) {
            EXPECT_NE(r.err.find(c.err), std::string::npos) << c.options << ": " << r.err;
        }
    }
}
