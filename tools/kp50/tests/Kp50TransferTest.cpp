// kp50 put, get and cp against a virtual player kept in a test folder, with a loopback web server
// for addresses, Ctrl-C through a real signal and the progress bar through a pseudo-terminal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/testing/TempDir.h"
#include "tools/kp50/tests/ToolRun.h"
#include "memview/link/tests/transfer/LoopbackHttpServer.h"
#include "memview/link/tests/transfer/TransferTestKit.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

class Kp50TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        std::string error;
        ASSERT_TRUE(VirtualPlayer::Create(player_.Path(), {0xE6}, std::vector<uint8_t>{0xE6},
                                          &error))
            << error;
        for (MemoryType type : {MemoryType::Internal, MemoryType::Card}) {
            auto d = Device(type);
            ASSERT_TRUE(d.device->InitializeQuick()) << DeviceErrorName(d.device->LastError());
        }
    }

    struct Bound {
        std::shared_ptr<VirtualPlayer> player;
        std::unique_ptr<VirtualPortDriver> driver;
        std::unique_ptr<MemoryDevice> device;
    };
    Bound Device(MemoryType type) {
        Bound b;
        b.player = std::make_shared<VirtualPlayer>(player_.Path(), clock_);
        b.driver = std::make_unique<VirtualPortDriver>(b.player);
        b.device = std::make_unique<MemoryDevice>(*b.driver, clock_);
        b.device->SetPort(kVirtualPortBase);
        b.device->SetMemoryType(type);
        return b;
    }
    std::vector<std::string> Names(MemoryType type = MemoryType::Internal) {
        auto d = Device(type);
        std::vector<std::string> names;
        if (!d.device->Refresh()) return {"<unreadable>"};
        for (int i = 0; i < d.device->PlayCount(); ++i) names.push_back(d.device->Entry(i)->name);
        return names;
    }
    std::string Command(const std::string& args) const {
        return std::string(KP50_PATH) + " --virtual-player '" + player_.Path() + "' " + args;
    }
    ToolRun Kp50(const std::string& args) {
        return RunKp50(work_.Path(), "--virtual-player '" + player_.Path() + "' " + args);
    }
    std::string File(const std::string& name, const Bytes& bytes) {
        std::string path = work_ / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    FakeClock clock_;
    TempDir player_;
    TempDir work_;
};

TEST_F(Kp50TransferTest, PutAddsWhatTheWindowWouldAndDownloadsIt) {
    const Bytes a = Mp3Bytes(100000, 1), b = Mp3Bytes(40000, 2);
    std::string aPath = File("a.mp3", a), bPath = File("b.mp3", b),
                text = File("notes.txt", PlainBytes(3000, 1));
    ToolRun put = Kp50("put " + aPath + " " + text + " " + (work_ / "missing.mp3") + " " + bPath);
    EXPECT_EQ(put.status, 0) << put.err;
    EXPECT_NE(put.out.find(" 1. a.mp3 (100000 bytes)\n"), std::string::npos) << put.out;
    EXPECT_NE(put.out.find(" 2. b.mp3 (40000 bytes)\n"), std::string::npos) << put.out;
    EXPECT_NE(put.err.find("notes.txt: skipped, not MPEG audio"), std::string::npos) << put.err;
    EXPECT_NE(put.err.find("missing.mp3: skipped, no such file"), std::string::npos) << put.err;
    EXPECT_EQ(put.err.find('\r'), std::string::npos) << "no progress bar without a terminal";
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "b.mp3"}));

    // --at puts the new file before row 2; a name already listed is skipped (no terminal: No).
    std::string c = File("c.mp3", Mp3Bytes(50000, 3));
    ToolRun at = Kp50("put --json --at 2 " + c + " " + aPath);
    EXPECT_EQ(at.status, 0) << at.err;
    EXPECT_EQ(at.out, "{\"stored\":[{\"number\":2,\"name\":\"c.mp3\",\"size\":50000}],"
                      "\"skipped\":[{\"item\":\"" + aPath + "\",\"reason\":\"already listed\"}],"
                      "\"error\":null}\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "c.mp3", "b.mp3"}));
    // --yes answers the name check: the file is replaced.
    EXPECT_EQ(Kp50("put --yes " + bPath).status, 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "c.mp3", "b.mp3"}));

    EXPECT_EQ(Kp50("put").status, 2);
    EXPECT_EQ(Kp50("put --at 0 " + aPath).status, 2);
}

TEST_F(Kp50TransferTest, GetCopiesIntoAFolderWithoutOverwriting) {
    const Bytes a = Mp3Bytes(70000, 4);
    ASSERT_EQ(Kp50("put " + File("song.mp3", a)).status, 0);
    std::string out = work_ / "dest";
    std::filesystem::create_directories(out);
    ASSERT_TRUE(WriteFile(out + "/song.mp3", Bytes{9}));
    ToolRun get = Kp50("get 1 --to " + out + " --json");
    EXPECT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(get.out, "{\"written\":[{\"number\":1,\"path\":\"" + out +
                           "/song(1).mp3\"}],\"error\":null}\n");
    EXPECT_EQ(ReadAll(out + "/song(1).mp3"), a);
    EXPECT_EQ(ReadAll(out + "/song.mp3"), Bytes{9});

    EXPECT_EQ(Kp50("get 1").status, 2);
    EXPECT_EQ(Kp50("get 7 --to " + out).status, 1);
    EXPECT_EQ(Kp50("get 1 --to " + out + "/nope").status, 1);
}

TEST_F(Kp50TransferTest, CpCopiesBetweenTheMemories) {
    const Bytes a = Mp3Bytes(90000, 5);
    ASSERT_EQ(Kp50("put " + File("a.mp3", a)).status, 0);
    ToolRun cp = Kp50("cp --to-card 1 --json");
    EXPECT_EQ(cp.status, 0) << cp.err;
    EXPECT_EQ(cp.out, "{\"stored\":[{\"number\":1,\"name\":\"a.mp3\"}],\"skipped\":[],\"error\":null}\n");
    EXPECT_EQ(Names(MemoryType::Card), std::vector<std::string>{"a.mp3"});
    std::string out = work_ / "back";
    std::filesystem::create_directories(out);
    ASSERT_EQ(Kp50("--card get 1 --to " + out).status, 0);
    EXPECT_EQ(ReadAll(out + "/a.mp3"), a);

    // And back, after removing it from the internal memory.
    ASSERT_EQ(Kp50("rm 1").status, 0);
    EXPECT_EQ(Kp50("cp --from-card 1").status, 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"a.mp3"});
    EXPECT_EQ(Kp50("cp 1").status, 2);
}

// Ctrl-C while a web download stalls: the batch stops through the cancel event, the exit status
// says cancelled and the player lists exactly the file completed before.
TEST_F(Kp50TransferTest, InterruptCancelsCleanly) {
    LoopbackHttpServer server([](const HttpRequestSeen&) {
        return HttpAnswer::Body(std::string(200000, 'x')).Stall(50000);
    });
    std::string first = File("first.mp3", Mp3Bytes(40000, 6));
    std::string cmd = Command("put " + first + " http://" + server.HostPort() + "/slow.mp3");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(server.WaitForRequests(1));
    kill(pid, SIGINT);
    int st = 0;
    ASSERT_EQ(waitpid(pid, &st, 0), pid);
    ASSERT_TRUE(WIFEXITED(st)) << "ended by the signal instead of cancelling";
    EXPECT_EQ(WEXITSTATUS(st), 3);
    EXPECT_EQ(Names(), std::vector<std::string>{"first.mp3"});
}

TEST_F(Kp50TransferTest, ProgressBarOnATerminal) {
    std::string a = File("a.mp3", Mp3Bytes(200000, 7));
    std::string cmd = Command("put " + a);
    int master = -1;
    winsize ws{};
    ws.ws_col = 100;
    ws.ws_row = 24;
    pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buf[4096];
    while (true) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) break;
        ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, size_t(n));
    }
    int st = 0;
    waitpid(pid, &st, 0);
    close(master);
    EXPECT_EQ(WEXITSTATUS(st), 0) << seen;
    EXPECT_NE(seen.find("\ra.mp3 ["), std::string::npos) << seen;
    EXPECT_NE(seen.find("(1/1) 100%"), std::string::npos) << seen;
    EXPECT_NE(seen.find("/s "), std::string::npos) << seen;
    EXPECT_NE(seen.find(" 1. a.mp3 (200000 bytes)"), std::string::npos) << seen;
}

}  // namespace
