#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "common/Paths.h"
#include "memview/link/TransferEngine.h"
#include "memview/link/tests/transfer/LoopbackHttpServer.h"
#include "memview/link/tests/transfer/TransferTestKit.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

class TransferEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        ASSERT_TRUE(dev().InitializeQuick()) << DeviceErrorName(dev().LastError());
        ASSERT_TRUE(dev().Refresh());
        freeAtStart = dev().Image().FreeCount();
    }
    MemoryDevice& dev() { return *rig.device; }

    std::string File(const std::string& name, const Bytes& bytes) {
        std::string path = rig.dir() / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    int Add(const std::string& path) {
        int i = dev().AddFile(path);
        EXPECT_GE(i, 0) << path;
        return i;
    }
    // One WriteFile inside its own link, as a batch runs it.
    bool Write(int index, const std::string& source, ProgressSink* progress = nullptr) {
        bool ok = false;
        rig.InLink(dev(), [&] {
            ok = engine.WriteFile(index, source, progress);
            return true;
        });
        return ok;
    }
    void ExpectConsistent() {
        std::string why;
        EXPECT_TRUE(DirectoryIsConsistent(dev().Image(), &why)) << "loaded image: " << why;
        auto fresh = rig.NewDevice();
        ASSERT_TRUE(fresh->Refresh());
        EXPECT_TRUE(DirectoryIsConsistent(fresh->Image(), &why)) << "player: " << why;
    }

    DeviceRig rig;
    TransferEngine engine{*rig.device};
    uint16_t freeAtStart = 0;
};

TEST_F(TransferEngineTest, WritesFilesOfEverySizeAsChainsThatReadBack) {
    struct Case {
        size_t size;
        uint16_t blocks;
        uint16_t lastBytes;
    };
    const Case cases[] = {{40000, 2, 7232}, {1, 1, 1}, {32768, 1, 32768}, {65536, 2, 32768},
                          {100001, 4, 1697}};
    std::vector<Bytes> written;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Bytes bytes = Mp3Bytes(c.size, uint8_t(written.size()));
        if (c.size < 2000) bytes = Bytes(c.size, 0xAB);  // too short to probe: added by hand
        std::string path = File("f" + std::to_string(written.size()) + ".mp3", bytes);
        int index = c.size < 2000 ? dev().AddEntry("tiny.mp3", kMp3Header, uint32_t(c.size),
                                                   EntryState::WaitingFile)
                                  : Add(path);
        ASSERT_TRUE(Write(index, path)) << DeviceErrorName(dev().LastError());
        FileEntry e = *dev().Entry(index);
        EXPECT_EQ(e.state, 0);
        EXPECT_EQ(e.size, c.size);
        EXPECT_EQ(e.blocks, c.blocks);
        EXPECT_EQ(e.lastBlockBytes, c.lastBytes);
        written.push_back(bytes);
    }
    auto listed = ListPlayer(rig);
    ASSERT_EQ(listed.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(listed[i].data, written[i]) << i;
    ExpectConsistent();

    // The 40 000-byte file: its second block holds 7232 bytes and then 0xFF, and its link page
    // ends the chain.
    const FileEntry first = listed[0].entry;
    const uint16_t second = dev().Image().Link(first.firstBlock);
    Bytes block = rig.BlockData(second);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 7232, written[0].begin() + 32768));
    EXPECT_TRUE(std::all_of(block.begin() + 7232, block.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(dev().Image().Link(second), 0);
}

TEST_F(TransferEngineTest, ProgressFollowsTheBytesHandedOver) {
    std::string path = File("p.mp3", Mp3Bytes(100000, 1));
    Progress progress;
    ASSERT_TRUE(Write(Add(path), path, &progress));
    EXPECT_EQ(progress.seen, (std::vector<int>{32, 65, 98, 100}));
    EXPECT_EQ(engine.Progress(), 0);
    EXPECT_EQ(dev().Progress(), 0);
}

TEST_F(TransferEngineTest, DataThatIsNotMpegIsRemovedAfterItsFirstBlock) {
    std::string path = File("notes.mp3", PlainBytes(100000, 3));
    int index = dev().AddEntry("notes.mp3", 0, 100000, EntryState::WaitingFile);
    ASSERT_TRUE(Write(index, path));
    EXPECT_EQ(dev().PlayCount(), 0);
    EXPECT_EQ(dev().Image().FreeCount(), freeAtStart);
    EXPECT_TRUE(ListPlayer(rig).empty());
    ExpectConsistent();
}

// A reader that fails or ends early after a number of bytes.
struct FaultyReader : SourceReader {
    Bytes data;
    size_t at = 0;
    size_t failAfter;
    int64_t claimedSize;
    FaultyReader(Bytes d, size_t fail, int64_t claimed)
        : data(std::move(d)), failAfter(fail), claimedSize(claimed) {}
    int64_t Size() override { return claimedSize; }
    long Read(uint8_t* buffer, size_t size) override {
        if (at >= failAfter) return at >= data.size() ? 0 : -1;
        size_t n = std::min({size, data.size() - at, failAfter - at});
        std::copy(data.begin() + long(at), data.begin() + long(at + n), buffer);
        at += n;
        return long(n);
    }
};

// A file that fails part-way commits nothing; the next file of the batch then commits a directory
// that lists exactly the complete files, with no trace of the failed one.
TEST_F(TransferEngineTest, AnIncompleteWriteCommitsNothingAndLeavesNoTrace) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<SourceReader>(const Bytes&)> reader;
    };
    const Case cases[] = {
        {"cannot be opened", [](const Bytes&) { return nullptr; }},
        {"read error after two blocks",
         [](const Bytes& b) { return std::make_unique<FaultyReader>(b, 70000, int64_t(b.size())); }},
        {"cut short while read",
         [](const Bytes& b) {
             return std::make_unique<FaultyReader>(Bytes(b.begin(), b.begin() + 50000), 50000,
                                                   int64_t(b.size()));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(dev().InitializeQuick());
        ASSERT_TRUE(dev().Refresh());
        Bytes good = Mp3Bytes(45000, 1), bad = Mp3Bytes(150000, 2), after = Mp3Bytes(70000, 3);
        std::string goodPath = File("good.mp3", good), badPath = File("bad.mp3", bad),
                    afterPath = File("after.mp3", after);
        ASSERT_EQ(Add(goodPath), 0);
        ASSERT_EQ(Add(badPath), 1);
        ASSERT_EQ(Add(afterPath), 2);
        ASSERT_TRUE(Write(0, goodPath));

        engine.SetSourceOpener([&](const std::string& path) -> std::unique_ptr<SourceReader> {
            if (path == badPath) return c.reader(bad);
            return OpenSourceFile(path);
        });
        EXPECT_FALSE(Write(1, badPath));
        EXPECT_EQ(dev().LastError(), DeviceError::FileRead);
        dev().ClearError();
        // The player still lists only the first file.
        auto listed = ListPlayer(rig, false);
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].name, "good.mp3");

        // "Continue": the failed entry is gone, so the next waiting entry is now index 1.
        ASSERT_EQ(dev().Entry(1)->name, "after.mp3");
        ASSERT_TRUE(Write(1, afterPath)) << DeviceErrorName(dev().LastError());
        const uint16_t first = dev().Entry(1)->firstBlock;
        EXPECT_EQ(dev().Image().Predecessor(first), kNoBlock) << "stale link into the new file";
        listed = ListPlayer(rig);
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_EQ(listed[0].data, good);
        EXPECT_EQ(listed[1].name, "after.mp3");
        EXPECT_EQ(listed[1].data, after);
        ExpectConsistent();
        engine.SetSourceOpener(nullptr);
    }
}

TEST_F(TransferEngineTest, BadBlocksAreReplacedAndTenInARowAreUnstable) {
    // Block 2 (the file's second block) fails: the data moves on and block 1's link page is
    // rewritten to name the replacement.
    rig.player().FailProgram(rig.type(), 2);
    Bytes bytes = Mp3Bytes(90000, 4);
    std::string path = File("b.mp3", bytes);
    ASSERT_TRUE(Write(Add(path), path)) << DeviceErrorName(dev().LastError());
    EXPECT_EQ(dev().Image().Usage(2), kBlockBad);
    auto listed = ListPlayer(rig);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].data, bytes);
    ExpectConsistent();

    // Ten failing blocks in a row: Unstable, nothing listed beyond the first file.
    for (uint16_t b = 5; b <= 20; ++b) rig.player().FailProgram(rig.type(), b);
    std::string second = File("c.mp3", Mp3Bytes(200000, 5));
    EXPECT_FALSE(Write(Add(second), second));
    EXPECT_EQ(dev().LastError(), DeviceError::Unstable);
    dev().ClearError();
    EXPECT_EQ(ListPlayer(rig, false).size(), 1u);
    EXPECT_EQ(dev().PlayCount(), 1);
    ExpectConsistent();
}

struct CancelAt : ProgressSink {
    TransferEngine* engine;
    int at;
    int calls = 0;
    void PostProgress(int) override {
        if (++calls == at) engine->Cancel();
    }
};

TEST_F(TransferEngineTest, CancelAtEveryStageStopsWithoutCommitting) {
    Bytes bytes = Mp3Bytes(200000, 6);
    std::string path = File("x.mp3", bytes);
    std::string done = File("done.mp3", Mp3Bytes(40000, 7));
    ASSERT_TRUE(Write(Add(done), done));
    for (int stage = 0; stage <= 4; ++stage) {
        SCOPED_TRACE(stage);
        int index = Add(path);
        CancelAt sink;
        sink.engine = &engine;
        sink.at = stage;
        if (stage == 0) engine.Cancel();  // before the file starts: a cancel between two files
        EXPECT_FALSE(Write(index, path, &sink));
        EXPECT_EQ(dev().LastError(), DeviceError::Cancelled);
        dev().ClearError();
        engine.ResumeJobs();
        EXPECT_EQ(dev().PlayCount(), 1);
        auto listed = ListPlayer(rig, false);
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].name, "done.mp3");
        ExpectConsistent();
    }
}

TEST_F(TransferEngineTest, PlayerDisconnectedMidFileKeepsTheDirectoryValid) {
    std::string done = File("done.mp3", Mp3Bytes(40000, 7));
    ASSERT_TRUE(Write(Add(done), done));
    std::string path = File("long.mp3", Mp3Bytes(300000, 8));
    int index = Add(path);
    rig.player().DisconnectAfter(400000);
    EXPECT_FALSE(Write(index, path));
    EXPECT_NE(dev().LastError(), DeviceError::None);
    dev().ClearError();
    rig.player().Reconnect();
    auto listed = ListPlayer(rig, false);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "done.mp3");
    auto fresh = rig.NewDevice();
    ASSERT_TRUE(fresh->Refresh());
    std::string why;
    EXPECT_TRUE(DirectoryIsConsistent(fresh->Image(), &why)) << why;
}

TEST_F(TransferEngineTest, WebDownloadsStoreTheFoundHeaderOrRemoveTheEntry) {
    const Bytes mp3 = Mp3Bytes(100000, 9);
    const std::string body(mp3.begin(), mp3.end());
    LoopbackHttpServer server([&](const HttpRequestSeen& req) {
        if (req.target == "/song.mp3") return HttpAnswer::Body(body);
        if (req.target == "/nolength.mp3") return HttpAnswer::Body(body).NoLength();
        if (req.target == "/page.html") return HttpAnswer::Body(std::string(5000, '<'));
        if (req.target == "/drop.mp3") return HttpAnswer::Body(body).Drop(40000);
        return HttpAnswer::Body("gone").Status(404, "Not Found");
    });
    struct Case {
        const char* object;
        bool ok;
        DeviceError error;
        bool stored;
        bool progress;
    };
    const Case cases[] = {
        {"/song.mp3", true, DeviceError::None, true, true},
        {"/nolength.mp3", true, DeviceError::None, true, false},
        {"/page.html", true, DeviceError::None, false, true},
        {"/missing.mp3", true, DeviceError::None, false, false},
        {"/drop.mp3", false, DeviceError::FileRead, false, true},
    };
    // The downloaded copy kept for the frame-header search never outlives its download.
    auto temporaries = [] {
        size_t n = 0;
        for (const auto& f : std::filesystem::directory_iterator(TempFolder()))
            n += f.path().filename().string().rfind("ITemp-", 0) == 0;
        return n;
    };
    const size_t temporariesBefore = temporaries();
    size_t storedCount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        std::string address = "http://" + server.HostPort() + c.object;
        int index = dev().AddFile(address);
        ASSERT_GE(index, 0);
        EXPECT_EQ(dev().Entry(index)->state, 6);
        Progress progress;
        EXPECT_EQ(Write(index, address, &progress), c.ok);
        EXPECT_EQ(dev().LastError(), c.error);
        dev().ClearError();
        EXPECT_EQ(!progress.seen.empty(), c.progress);
        if (c.stored) ++storedCount;
        auto listed = ListPlayer(rig);
        ASSERT_EQ(listed.size(), storedCount);
        if (c.stored) {
            EXPECT_EQ(listed.back().data, mp3);
            EXPECT_EQ(listed.back().entry.header, kMp3Header);
            EXPECT_EQ(listed.back().entry.size, mp3.size());
            EXPECT_EQ(listed.back().entry.state, 0);
        }
        EXPECT_EQ(dev().PlayCount(), int(storedCount));
        EXPECT_EQ(temporaries(), temporariesBefore);
        ExpectConsistent();
    }
}

TEST_F(TransferEngineTest, StalledServerEndsAtCancelAtOnce) {
    LoopbackHttpServer server([](const HttpRequestSeen&) {
        return HttpAnswer::Body(std::string(100000, 'x')).Stall(100);
    });
    std::string address = "http://" + server.HostPort() + "/slow.mp3";
    int index = dev().AddFile(address);
    std::atomic<bool> finished{false};
    bool ok = true;
    std::thread worker([&] {
        ok = Write(index, address);
        finished = true;
    });
    ASSERT_TRUE(server.WaitForRequests(1));
    engine.Cancel();
    worker.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(dev().LastError(), DeviceError::Cancelled);
    EXPECT_TRUE(ListPlayer(rig, false).empty());
}

TEST_F(TransferEngineTest, FetchUrlListKeepsWebAddressLines) {
    // The second address straddles the first chunk boundary; the last line has no line end.
    std::string text = "#EXTM3U\r\nhttp://a.example/1.mp3\r\n# a comment\n";
    std::string straddling = "https://b.example/" + std::string(200, 'q') + ".mp3";
    text += std::string(32768 - text.size() - 100, ' ') + "\n";
    text += straddling + "\r\nfile.mp3\nhttp://c.example/3.mp3";
    LoopbackHttpServer server([&](const HttpRequestSeen& req) {
        if (req.target == "/list.m3u") return HttpAnswer::Body(text);
        if (req.target == "/drop.m3u") return HttpAnswer::Body(text).Drop(100);
        return HttpAnswer::Body("").Status(404, "Not Found");
    });
    std::vector<std::string> list;
    ASSERT_TRUE(engine.FetchUrlList("http://" + server.HostPort() + "/list.m3u", list, nullptr));
    EXPECT_EQ(list, (std::vector<std::string>{"http://a.example/1.mp3", straddling,
                                              "http://c.example/3.mp3"}));
    list.clear();
    EXPECT_TRUE(engine.FetchUrlList("http://" + server.HostPort() + "/none.m3u", list, nullptr));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(engine.FetchUrlList("http://" + server.HostPort() + "/drop.m3u", list, nullptr));
    EXPECT_EQ(dev().LastError(), DeviceError::FileRead);
}

TEST(TransferEngineOtherMemoryTest, CopiesAFileFromTheOtherMemory) {
    DeviceRig internal({0xE6}, std::vector<uint8_t>{0xE6}, MemoryType::Internal);
    MemoryDevice& in = *internal.device;
    ASSERT_TRUE(in.InitializeQuick());
    ASSERT_TRUE(in.Refresh());
    Bytes bytes = Mp3Bytes(80000, 10);
    std::string path = internal.dir() / "song.mp3";
    ASSERT_TRUE(WriteFile(path, bytes));
    TransferEngine inEngine(in);
    ASSERT_TRUE(internal.InLink(in, [&] { return inEngine.WriteFile(in.AddFile(path), path, nullptr); }));

    // The card's device on the same player.
    auto card = internal.NewDevice();
    card->SetMemoryType(MemoryType::Card);
    ASSERT_TRUE(card->InitializeQuick()) << DeviceErrorName(card->LastError());
    ASSERT_TRUE(card->Refresh());
    int index = card->AddEntry("song.mp3", kMp3Header, uint32_t(bytes.size()),
                               EntryState::WaitingPlayerMpeg);
    ASSERT_GE(index, 0);
    TransferEngine cardEngine(*card);
    ASSERT_TRUE(internal.InLink(*card, [&] { return cardEngine.WriteFile(index, "0", nullptr); }))
        << DeviceErrorName(card->LastError());
    auto check = internal.NewDevice();
    check->SetMemoryType(MemoryType::Card);
    ASSERT_TRUE(check->Refresh());
    ASSERT_EQ(check->PlayCount(), 1);
    std::string out = internal.dir() / "back.mp3";
    ASSERT_TRUE(internal.InLink(*check, [&] { return check->ReadFileToPath(0, out); }));
    EXPECT_EQ(ReadAll(out), bytes);

    // A name the other memory does not hold: the source failed.
    int missing = card->AddEntry("nosuch.mp3", kMp3Header, 100, EntryState::WaitingPlayerMpeg);
    EXPECT_FALSE(internal.InLink(*card, [&] { return cardEngine.WriteFile(missing, "0", nullptr); }));
    EXPECT_EQ(card->LastError(), DeviceError::FileRead);
}

}  // namespace
