#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "memview/link/Additions.h"
#include "memview/link/TransferBatches.h"
#include "memview/link/tests/transfer/LoopbackHttpServer.h"
#include "memview/link/tests/transfer/TransferTestKit.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

// Records everything a batch shows and answers questions from a script.
struct RecordingUi : TransferUi {
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> questions, errors, statuses;
    std::vector<int> written;
    std::vector<DeviceError> ended;
    std::string folder;
    std::vector<bool> answers;  // taken in order; No when they run out
    std::function<void(int)> onWritten;
    void ShowFile(const std::string& name, const std::string& count) override {
        files.emplace_back(name, count);
    }
    void ShowFolder(const std::string& f) override { folder = f; }
    void ShowStatus(const std::string& s) override { statuses.push_back(s); }
    bool Ask(const std::string& q) override {
        questions.push_back(q);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void ShowError(const std::string& t) override { errors.push_back(t); }
    void EntryWritten(int index) override {
        written.push_back(index);
        if (onWritten) onWritten(index);
    }
    void Ended(DeviceError e) override { ended.push_back(e); }
};

class TransferBatchesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        ASSERT_TRUE(dev().InitializeQuick());
        ASSERT_TRUE(dev().Refresh());
    }
    MemoryDevice& dev() { return *rig.device; }
    std::string File(const std::string& name, const Bytes& bytes) {
        std::string path = rig.dir() / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    // Adds through the addition rules, as the window's Open and the tool's put do.
    void AddLocal(const std::vector<std::string>& paths, int row = -1) {
        Additions add(dev(), sources, ui);
        add.insertionRow = row;
        for (const auto& p : paths) add.localPaths.push_back(p);
        ASSERT_TRUE(add.Process());
    }
    DeviceError Download() {
        DownloadBatch batch(dev(), engine, sources.Texts(), ui);
        return batch.Run();
    }
    std::vector<std::string> PlayerNames() {
        std::vector<std::string> names;
        for (auto& l : ListPlayer(rig, false)) names.push_back(l.name);
        return names;
    }

    DeviceRig rig;
    TransferEngine engine{*rig.device};
    SourceList sources;
    RecordingUi ui;
};

TEST_F(TransferBatchesTest, DownloadTakesWaitingEntriesInOrderWithTheirCountTexts) {
    const Bytes a = Mp3Bytes(40000, 1), c = Mp3Bytes(50000, 3), web = Mp3Bytes(35000, 2);
    LoopbackHttpServer server([&](const HttpRequestSeen&) {
        return HttpAnswer::Body(std::string(web.begin(), web.end()));
    });
    std::string aPath = File("a.mp3", a), cPath = File("c.mp3", c);
    AddLocal({aPath, cPath});
    // c goes to the data list; the web address joins the play list.
    ASSERT_TRUE(dev().MoveEntry(1, kDataListStart));
    Additions add(dev(), sources, ui);
    add.webAddresses.push_back("http://" + server.HostPort() + "/dir/b.mp3");
    ASSERT_TRUE(add.Process());
    ASSERT_EQ(DownloadBatch::CountWaiting(dev()), 3);

    EXPECT_EQ(Download(), DeviceError::None);
    EXPECT_EQ(ui.files, (std::vector<std::pair<std::string, std::string>>{
                            {"a.mp3", "(1/3)"}, {"b.mp3", "(2/3 HTTP)"}, {"c.mp3", "(3/3)"}}));
    EXPECT_EQ(ui.written, (std::vector<int>{0, 1, kDataListStart}));
    EXPECT_EQ(ui.ended, std::vector<DeviceError>{DeviceError::None});
    EXPECT_TRUE(ui.errors.empty());
    auto fresh = rig.NewDevice();
    ASSERT_TRUE(fresh->Refresh());
    ASSERT_EQ(fresh->PlayCount(), 2);
    EXPECT_EQ(fresh->Entry(1)->name, "b.mp3");
    ASSERT_EQ(fresh->DataCount(), 1);
    EXPECT_EQ(fresh->Entry(kDataListStart)->name, "c.mp3");
    EXPECT_EQ(DownloadBatch::CountText(4, 2, 5), "(2/5) MEDIA");
}

// A source that cannot be read: the question names it (renamed when the entry's name differs),
// Yes goes on with the next entry, No or a silent window ends the batch with FileRead.
TEST_F(TransferBatchesTest, UnreadableSourceAsksWhetherToContinue) {
    struct Case {
        const char* what;
        bool showErrors;
        bool rename;
        std::vector<bool> answers;
        DeviceError end;
        std::vector<std::string> listed;
        size_t errorsShown;
    };
    const Case cases[] = {
        {"yes", true, false, {true}, DeviceError::None, {"one.mp3", "three.mp3"}, 0},
        {"no", true, false, {false}, DeviceError::FileRead, {"one.mp3"}, 1},
        {"renamed", true, true, {true}, DeviceError::None, {"one.mp3", "three.mp3"}, 0},
        {"silent", false, false, {}, DeviceError::FileRead, {"one.mp3"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(dev().InitializeQuick());
        ASSERT_TRUE(dev().Refresh());
        sources.Clear();
        ui = RecordingUi();
        ui.answers = c.answers;
        dev().SetShowErrors(c.showErrors);
        std::string one = File("one.mp3", Mp3Bytes(40000, 1));
        std::string two = File("two.mp3", Mp3Bytes(40000, 2));
        std::string three = File("three.mp3", Mp3Bytes(40000, 3));
        AddLocal({one, two, three});
        if (c.rename) {
            ASSERT_TRUE(dev().RenameEntry(1, "renamed.mp3"));
        }
        std::filesystem::remove(two);  // disappears before its turn

        EXPECT_EQ(Download(), c.end);
        if (c.showErrors) {
            ASSERT_EQ(ui.questions.size(), 1u);
            std::string expected = c.rename ? "Cannot open or read file,\n " + two +
                                                  "(renamed to renamed.mp3).\n\nContinue?"
                                            : "Cannot open or read file,\n " + two +
                                                  ".\n\nContinue?";
            EXPECT_EQ(ui.questions[0], expected);
        } else {
            EXPECT_TRUE(ui.questions.empty());
        }
        EXPECT_EQ(ui.errors.size(), c.errorsShown);
        if (c.errorsShown) {
            EXPECT_EQ(ui.errors[0], "File read error.");
        }
        EXPECT_EQ(ui.ended, std::vector<DeviceError>{c.end});
        EXPECT_EQ(PlayerNames(), c.listed);
        EXPECT_EQ(dev().LastError(), DeviceError::None);
        dev().SetShowErrors(true);
    }
}

TEST_F(TransferBatchesTest, CancelDuringADownloadKeepsTheFilesCompletedBefore) {
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) paths.push_back(File("s" + std::to_string(i) + ".mp3", Mp3Bytes(70000, uint8_t(i))));
    AddLocal(paths);
    DownloadBatch batch(dev(), engine, sources.Texts(), ui);
    ui.onWritten = [&](int index) {
        if (index == 1) batch.Cancel();
    };
    EXPECT_EQ(batch.Run(), DeviceError::Cancelled);
    EXPECT_EQ(ui.ended, std::vector<DeviceError>{DeviceError::Cancelled});
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"s0.mp3", "s1.mp3"}));
}

TEST_F(TransferBatchesTest, NotMpegIsDroppedQuietlyAndAClosedLinkEndsAtOnce) {
    std::string good = File("good.mp3", Mp3Bytes(40000, 1));
    std::string plain = File("plain.mp3", PlainBytes(40000, 2));
    AddLocal({good});
    // Passed the addition's check, but the file changed before the download.
    ASSERT_GE(dev().AddFile(plain), 0);
    dev().SetHostSlot(1, sources.Append(plain));
    ASSERT_TRUE(WriteFile(plain, PlainBytes(40000, 2)));
    FileEntry e = *dev().Entry(1);
    e.header = 0;
    dev().Image().StoreEntry(1, e);
    EXPECT_EQ(Download(), DeviceError::None);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(PlayerNames(), std::vector<std::string>{"good.mp3"});

    // The player refuses the link: the batch ends with that error, shown once.
    AddLocal({File("later.mp3", Mp3Bytes(40000, 4))});
    ui = RecordingUi();
    rig.player().SetGreetingRefused(true);
    EXPECT_EQ(Download(), DeviceError::HandshakeFailed);
    EXPECT_TRUE(ui.files.empty());
    EXPECT_EQ(ui.errors, std::vector<std::string>{DeviceErrorText(DeviceError::HandshakeFailed)});
    rig.player().SetGreetingRefused(false);
}

TEST_F(TransferBatchesTest, UploadNamesNeverLeaveOrOverwriteTheFolder) {
    const Bytes song = Mp3Bytes(40000, 1), readme = Mp3Bytes(33000, 2), evil = Mp3Bytes(3000, 3);
    AddLocal({File("song.mp3", song), File("readme", readme), File("evil.mp3", evil)});
    ASSERT_EQ(Download(), DeviceError::None);
    ASSERT_TRUE(dev().Refresh());
    // A name as a damaged or hostile directory could hold it.
    ASSERT_TRUE(dev().RenameEntry(2, "../evil.mp3"));

    std::string parent = rig.dir() / "out";
    std::string folder = parent + "/inner";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(WriteFile(folder + "/song.mp3", Bytes{1}));
    ASSERT_TRUE(WriteFile(folder + "/song(1).mp3", Bytes{2}));
    ASSERT_TRUE(WriteFile(folder + "/readme", Bytes{3}));
    ui = RecordingUi();
    UploadBatch upload(dev(), {0, 1, 2}, folder, ui);
    EXPECT_EQ(upload.Run(), DeviceError::None);
    EXPECT_EQ(ui.folder, folder);
    EXPECT_EQ(ui.files, (std::vector<std::pair<std::string, std::string>>{
                            {"song.mp3", "(1/3)"}, {"readme", "(2/3)"}, {".._evil.mp3", "(3/3)"}}));
    EXPECT_EQ(upload.Written(), (std::vector<std::string>{folder + "/song(2).mp3",
                                                          folder + "/readme(1).",
                                                          folder + "/.._evil.mp3"}));
    EXPECT_EQ(ReadAll(folder + "/song(2).mp3"), song);
    EXPECT_EQ(ReadAll(folder + "/readme(1)."), readme);
    EXPECT_EQ(ReadAll(folder + "/.._evil.mp3"), evil);
    EXPECT_EQ(ReadAll(folder + "/song.mp3"), Bytes{1});
    // Nothing was written beside the folder.
    EXPECT_FALSE(std::filesystem::exists(parent + "/evil.mp3"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(parent),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(ui.ended, std::vector<DeviceError>{DeviceError::None});

    // A folder that cannot be written: CannotOpenFile, shown once.
    ui = RecordingUi();
    UploadBatch nowhere(dev(), {0}, rig.dir() / "no/such/folder", ui);
    EXPECT_EQ(nowhere.Run(), DeviceError::CannotOpenFile);
    EXPECT_EQ(ui.errors.size(), 1u);
}

// Cancel while the second file is copied: the first is there, the second leaves no partial file.
TEST_F(TransferBatchesTest, CancelDuringAnUploadLeavesNoPartialFile) {
    const Bytes one = Mp3Bytes(70000, 1), two = Mp3Bytes(200000, 2);
    AddLocal({File("one.mp3", one), File("two.mp3", two)});
    ASSERT_EQ(Download(), DeviceError::None);
    ASSERT_TRUE(dev().Refresh());
    std::string folder = rig.dir() / "up";
    std::filesystem::create_directories(folder);

    struct CancellingUi : RecordingUi {
        UploadBatch* batch = nullptr;
        void PostProgress(int percent) override {
            if (files.size() == 2 && percent > 0 && batch) batch->Cancel();
        }
    } cancelling;
    UploadBatch upload(dev(), {0, 1}, folder, cancelling);
    cancelling.batch = &upload;
    EXPECT_EQ(upload.Run(), DeviceError::Cancelled);
    EXPECT_EQ(cancelling.ended, std::vector<DeviceError>{DeviceError::Cancelled});
    EXPECT_TRUE(cancelling.errors.empty());
    EXPECT_EQ(upload.Written(), std::vector<std::string>{folder + "/one.mp3"});
    EXPECT_EQ(ReadAll(folder + "/one.mp3"), one);
    EXPECT_FALSE(std::filesystem::exists(folder + "/two.mp3"));
}

TEST_F(TransferBatchesTest, AddressListFailureIsShownAndEndsTheFetching) {
    LoopbackHttpServer server([](const HttpRequestSeen& req) {
        if (req.target == "/bad.m3u") return HttpAnswer::Body(std::string(5000, 'x')).Drop(10);
        return HttpAnswer::Body("http://h/a.mp3\n");
    });
    for (bool show : {true, false}) {
        SCOPED_TRACE(show);
        ui = RecordingUi();
        dev().SetShowErrors(show);
        std::string base = "http://" + server.HostPort();
        AddressListBatch batch(dev(), engine,
                               {base + "/good.m3u", base + "/bad.m3u", base + "/never.m3u"}, ui);
        EXPECT_EQ(batch.Run(), std::vector<std::string>{"http://h/a.mp3"});
        EXPECT_EQ(ui.files, (std::vector<std::pair<std::string, std::string>>{
                                {"good.m3u", "(1/3 HTTP)"}, {"bad.m3u", "(2/3 HTTP)"}}));
        // Shown whatever the show-errors flag says.
        EXPECT_EQ(ui.errors, std::vector<std::string>{"File read error."});
        EXPECT_EQ(dev().LastError(), DeviceError::None);
    }
    dev().SetShowErrors(true);
}

TEST_F(TransferBatchesTest, InitializationRunsAndReports) {
    std::string one = File("one.mp3", Mp3Bytes(40000, 1));
    AddLocal({one});
    ASSERT_EQ(Download(), DeviceError::None);
    // The choice asks through the batch's interface.
    ui = RecordingUi();
    ui.answers = {true};
    UiInitializeQuestions questions(ui);
    const InitializeKind kind = ChooseInitialization(dev(), &questions);
    EXPECT_EQ(kind, InitializeKind::Quick);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Initializing will delete all data. \nContinue?"});
    ASSERT_TRUE(RunInitializeJob(dev(), kind, ui));
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"Initializing Zanto KP50.\nPlease wait..."});
    EXPECT_EQ(ui.ended, std::vector<DeviceError>{DeviceError::None});
    EXPECT_TRUE(PlayerNames().empty());

    struct Case {
        bool showErrors;
        size_t errorsShown;
    };
    for (const Case c : {Case{true, 1}, Case{false, 0}}) {
        ui = RecordingUi();
        dev().SetShowErrors(c.showErrors);
        rig.player().DisconnectAfter(0);
        EXPECT_FALSE(RunInitializeJob(dev(), InitializeKind::Scan, ui));
        ASSERT_EQ(ui.ended.size(), 1u);
        EXPECT_NE(ui.ended[0], DeviceError::None);
        EXPECT_EQ(ui.errors.size(), c.errorsShown);
        EXPECT_EQ(dev().LastError(), DeviceError::None);
        rig.player().Reconnect();
    }
    dev().SetShowErrors(true);
    EXPECT_FALSE(RunInitializeJob(dev(), InitializeKind::Declined, ui));
}

TEST_F(TransferBatchesTest, AdditionsCheckNamesRegionsAndPlace) {
    std::string a = File("a.mp3", Mp3Bytes(40000, 1)), b = File("b.mp3", Mp3Bytes(40000, 2)),
                c = File("c.mp3", Mp3Bytes(40000, 3)), plain = File("p.mp3", PlainBytes(5000, 1));
    std::vector<std::string> skipped;
    auto names = [&] {
        std::vector<std::string> n;
        for (int i = 0; i < dev().PlayCount(); ++i) n.push_back(dev().Entry(i)->name);
        for (int i = 0; i < dev().DataCount(); ++i) n.push_back("data:" + dev().Entry(kDataListStart + i)->name);
        return n;
    };
    {
        Additions add(dev(), sources, ui);
        add.onSkipped = [&](const std::string& item, const std::string&) { skipped.push_back(item); };
        add.localPaths = {a, b, plain};
        ASSERT_TRUE(add.Process());
        EXPECT_EQ(add.insertionRow, -1);
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(skipped, std::vector<std::string>{plain});
    // Inserted before row 1; the name check finds "A.MP3" and, answered Yes, replaces it (the
    // insertion row moves up with the removed row above it).
    std::string upper = File("A.MP3", Mp3Bytes(40000, 4));
    {
        ui.answers = {true};
        Additions add(dev(), sources, ui);
        add.insertionRow = 1;
        add.localPaths = {c, upper};
        ASSERT_TRUE(add.Process());
        EXPECT_EQ(ui.questions, std::vector<std::string>{"File 'A.MP3' already exist.\nOverwrite it?"});
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"c.mp3", "A.MP3", "b.mp3"}));
    EXPECT_EQ(sources.Texts()[*dev().HostSlot(1)], upper);
    EXPECT_EQ(sources.Texts()[0], "");  // a.mp3's text went with its entry
    // No to the question skips the item and leaves the queue going.
    {
        ui = RecordingUi();
        ui.answers = {false};
        Additions add(dev(), sources, ui);
        add.localPaths = {b};
        ASSERT_TRUE(add.Process());
        EXPECT_EQ(names().size(), 3u);
    }
    // Web addresses go into the data list when aimed there; local files are not added there.
    ASSERT_TRUE(dev().MoveEntry(2, kDataListStart));  // b.mp3 into the data list
    {
        Additions add(dev(), sources, ui);
        add.localPaths = {File("d.mp3", Mp3Bytes(40000, 5))};
        ASSERT_TRUE(add.Process());
        ASSERT_TRUE(dev().MoveEntry(2, kDataListStart + 1));  // rows: c, A | b, d
    }
    {
        Additions add(dev(), sources, ui);
        add.insertionRow = 3;  // the data row of d.mp3 (row 2, the play list's end, is b.mp3)
        add.webAddresses = {"https://host/x/w.mp3"};
        add.localPaths = {File("e.mp3", Mp3Bytes(40000, 6))};
        skipped.clear();
        add.onSkipped = [&](const std::string& item, const std::string&) { skipped.push_back(item); };
        ASSERT_TRUE(add.Process());
        EXPECT_EQ(add.insertionRow, 4);
    }
    EXPECT_EQ(skipped, std::vector<std::string>{rig.dir() / "e.mp3"});
    EXPECT_EQ(names(),
              (std::vector<std::string>{"c.mp3", "A.MP3", "data:b.mp3", "data:w.mp3", "data:d.mp3"}));
    EXPECT_EQ(dev().Entry(kDataListStart + 1)->state, 6);
    EXPECT_EQ(sources.Texts()[*dev().HostSlot(kDataListStart + 1)], "https://host/x/w.mp3");

    // A full play list stops the processing and keeps what is still queued.
    {
        Additions add(dev(), sources, ui);
        for (int i = 0; i < 60; ++i) add.webAddresses.push_back("http://h/n" + std::to_string(i) + ".mp3");
        EXPECT_FALSE(add.Process());
        EXPECT_EQ(dev().LastError(), DeviceError::TooManyFiles);
        EXPECT_EQ(add.webAddresses.size(), 12u);
        dev().ClearError();
    }
}

TEST_F(TransferBatchesTest, PlaylistsExpandLocallyAndFromTheWeb) {
    std::string a = File("a.mp3", Mp3Bytes(40000, 1)), b = File("b.mp3", Mp3Bytes(40000, 2));
    LoopbackHttpServer server([&](const HttpRequestSeen& req) {
        if (req.target == "/web.m3u")
            return HttpAnswer::Body("#EXTM3U\nhttp://h/one.mp3\n# note\nhttps://h/two.mp3\n");
        return HttpAnswer::Body("").Status(404, "Not Found");
    });
    std::string web = "http://" + server.HostPort() + "/web.m3u";
    std::string inner = rig.dir() / "inner.m3u";
    std::string outer = rig.dir() / "outer.M3U";
    ASSERT_TRUE(WriteFile(inner, [&] {
        Bytes t;
        // Relative to the list, a web address (fetched as a list too), and a loop.
        Append(t, "b.mp3\r\nHTTP://" + server.HostPort() + "/upper.mp3\r\n" + outer + "\r\n");
        return t;
    }()));
    ASSERT_TRUE(WriteFile(outer, [&] {
        Bytes t;
        Append(t, a + "\nmissing.mp3\n" + inner + "\n" + web + "\n");
        return t;
    }()));
    Additions add(dev(), sources, ui);
    add.localPaths = {outer, "/not/a/list.mp3"};
    add.ExpandPlaylists(engine);
    EXPECT_EQ(add.localPaths, (std::deque<std::string>{"/not/a/list.mp3", a, rig.dir() / "b.mp3"}));
    EXPECT_EQ(add.webAddresses,
              (std::deque<std::string>{"http://h/one.mp3", "https://h/two.mp3"}));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/web.m3u");
    EXPECT_EQ(requests[1].target, "/upper.mp3");
    EXPECT_TRUE(ui.errors.empty());
}

}  // namespace
