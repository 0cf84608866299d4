// The plug-in host against small scripted plug-ins (and the real MPEG audio plug-in): the folder
// scan, probing and the filter text, the choice of a plug-in, forwarding and the kept duration.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/Settings.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/Mp3Fixture.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"
#include "zantodesk/player/PluginHost.h"

using namespace zanto;
using namespace zanto::testkit;
namespace fs = std::filesystem;

namespace {

const std::string kWavFilter = "WAV (*.wav)|*.wav|";
const std::string kMpegFilter = "MPEG (*.mp3)|*.mp3|";
const std::string kRefuseFilter = "Refuse (*.ref)|*.ref|";

struct PluginHostTest : testing::Test {
    TempDir dir;
    std::string folder = dir / "Plug-in";

    void SetUp() override {
        fs::create_directories(folder);
        setenv("ZANTO_SETTINGS", (dir / "settings.reg").c_str(), 1);
        setenv("ZANTO_FIXTURE_LOG", (dir / "calls.log").c_str(), 1);
    }
    void TearDown() override { unsetenv("ZANTO_FIXTURE_LOG"); }

    // Puts a fixture plug-in into the folder under a name of its own.
    void Install(const std::string& fixture, std::string as = {}) {
        if (as.empty()) as = fixture + ".hma";
        fs::copy_file(std::string(PLUGINHOST_FIXTURES) + "/" + fixture + ".hma", folder + "/" + as);
    }
    std::string Plugin(const std::string& name) const { return folder + "/" + name; }
    std::string File(const std::string& name, const std::string& bytes = "data") {
        std::ofstream(dir / name) << bytes;
        return dir / name;
    }
    // The calls the fixtures logged since the last look.
    std::vector<std::string> Calls() {
        std::vector<std::string> calls;
        std::ifstream in(dir / "calls.log");
        for (std::string line; std::getline(in, line);) calls.push_back(line);
        fs::remove(dir / "calls.log");
        return calls;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
};

TEST_F(PluginHostTest, ScanListsHmaFilesButNoFolders) {
    Install("fx_wav");
    Install("fx_mpeg", "UPPER.HMA");
    File("Plug-in/notlib.hma", "not a library");
    File("Plug-in/readme.txt");
    File("Plug-in/fx_wav.hma.bak");
    fs::create_directories(folder + "/x.hma");
    PluginHost host(folder);
    host.Scan();
    EXPECT_EQ(Sorted(host.Plugins()),
              Sorted({Plugin("fx_wav.hma"), Plugin("UPPER.HMA"), Plugin("notlib.hma")}));
    EXPECT_TRUE(host.HasPlugins());

    PluginHost nowhere(dir / "missing");
    nowhere.Scan();
    EXPECT_FALSE(nowhere.HasPlugins());
}

TEST_F(PluginHostTest, InitialiseProbesBuildsTheFilterAndStoresIt) {
    Install("fx_wav");
    Install("fx_refuse");
    Install("fx_mpeg");
    Install("fx_noprobe");
    File("Plug-in/notlib.hma", "not a library");
    fs::create_directories(folder + "/x.hma");
    PluginHost host(folder);
    std::string filter = "stale";
    host.Initialise(&filter);

    EXPECT_EQ(Sorted(host.Plugins()),
              Sorted({Plugin("fx_wav.hma"), Plugin("fx_refuse.hma"), Plugin("fx_mpeg.hma")}));
    // The MPEG text comes first whatever the folder order; the others follow in list order.
    std::string rest;
    for (const std::string& p : host.Plugins())
        rest += p.find("fx_wav") != std::string::npos ? kWavFilter
              : p.find("fx_refuse") != std::string::npos ? kRefuseFilter : "";
    EXPECT_EQ(filter, kMpegFilter + rest + PluginHost::kAllFilesFilter);
    EXPECT_EQ(settings::ReadSfmt(), kMpegFilter + rest) << "stored without the closing pair";
    // Probing loads each library once, asks without a stream and unloads it again.
    EXPECT_EQ(Sorted(Calls()), Sorted({".wav load", ".wav unload", ".ref load", ".ref unload",
                                       ".mp3 load", ".mp3 unload", ".odd load", ".odd unload"}));
}

TEST_F(PluginHostTest, AnEmptyFolderGivesOnlyTheClosingPair) {
    settings::WriteSfmt("");
    PluginHost host(folder);
    std::string filter;
    host.Initialise(&filter);
    EXPECT_FALSE(host.HasPlugins());
    EXPECT_EQ(filter, "All Files (*.*)|*.*||");
    EXPECT_EQ(settings::ReadSfmt(), "");
}

TEST_F(PluginHostTest, AStoredFilterSkipsProbingAndBrokenLibrariesArePassedOver) {
    Install("fx_wav");
    File("Plug-in/notlib.hma", "not a library");
    Install("fx_noprobe");
    settings::WriteSfmt("Stored (*.sto)|*.sto|");
    PluginHost host(folder);
    std::string filter;
    host.Initialise(&filter);
    EXPECT_EQ(filter, std::string("Stored (*.sto)|*.sto|") + PluginHost::kAllFilesFilter);
    EXPECT_EQ(host.Plugins().size(), 3u) << "unprobed";
    EXPECT_EQ(host.OpenFile(File("song.wav")), 1);
    host.Close();

    // Without a filter text the host only scans and leaves the setting alone.
    settings::WriteSfmt("");
    PluginHost editor(folder);
    editor.Initialise(nullptr);
    EXPECT_EQ(editor.Plugins().size(), 3u);
    EXPECT_EQ(settings::ReadSfmt(), "");
}

TEST_F(PluginHostTest, ProbeLibraryTellsFilterAndName) {
    Install("fx_wav");
    Install("fx_refuse");
    Install("fx_noprobe");
    File("Plug-in/notlib.hma", "not a library");
    struct Case {
        std::string library;
        bool usable;
        std::string filter, name;
    } cases[] = {
        {"fx_wav.hma", true, kWavFilter, "Fixture WAV"},
        {"fx_refuse.hma", true, kRefuseFilter, "kept"},  // no name answered: left as it was
        {"fx_noprobe.hma", false, "", "kept"},          // CanBeOpen(none) is not exactly 1
        {"notlib.hma", false, "", "kept"},
        {"missing.hma", false, "", "kept"},
    };
    for (const Case& c : cases) {
        std::string filter, name = "kept";
        EXPECT_EQ(PluginHost::ProbeLibrary(Plugin(c.library), &filter, &name), c.usable) << c.library;
        EXPECT_EQ(filter, c.filter) << c.library;
        EXPECT_EQ(name, c.name) << c.library;
    }
    Calls();
    std::string filter;
    ASSERT_TRUE(PluginHost::ProbeLibrary(Plugin("fx_wav.hma"), &filter, nullptr));
    EXPECT_EQ(Calls(), std::vector<std::string>({".wav load", ".wav unload"}));
}

TEST_F(PluginHostTest, AddFilterTextPutsMpegPatternsInFront) {
    struct Case {
        std::string before, added, after;
    } cases[] = {
        {"", kWavFilter, kWavFilter},
        {kWavFilter, kMpegFilter, kMpegFilter + kWavFilter},
        {kMpegFilter, kWavFilter, kMpegFilter + kWavFilter},
        {kWavFilter, "MP2 (*.MP2)|*.MP2|", kWavFilter + "MP2 (*.MP2)|*.MP2|"},  // case matters
        {kWavFilter, "Any (*.mpc)|*.mpc|", "Any (*.mpc)|*.mpc|" + kWavFilter},
    };
    for (const Case& c : cases) {
        std::string text = c.before;
        PluginHost::AddFilterText(text, c.added);
        EXPECT_EQ(text, c.after);
    }
}

TEST_F(PluginHostTest, OpenFileChoosesThePluginAndReportsEachOutcome) {
    Install("fx_refuse");
    Install("fx_noopen");
    Install("fx_partial");
    Install("fx_wav");
    File("Plug-in/notlib.hma", "not a library");
    PluginHost host(folder);
    host.Scan();
    struct Case {
        std::string path;
        int32_t result;
        bool open;
        std::string error;
    } cases[] = {
        {"http://example.com/a.wav", 0, false, ""},
        {"HTTP://EXAMPLE.COM/A.WAV", 0, false, ""},
        {"https://example.com/a.wav", 0, false, ""},
        {"hTTpS://example.com/a.wav", 0, false, ""},
        {dir / "missing.wav", 0, false, ""},
        {File("plain.txt"), 0, false, ""},       // nobody's kind of file
        {File("song.bad"), 0, false, ""},        // Open gives no handle
        {File("song.part"), 0, false, ""},       // the plug-in lacks an export: passed over
        {File("song.ref"), 3, false, "busy .ref"},
        {File("song.wav"), 1, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(host.OpenFile(c.path), c.result);
        EXPECT_EQ(host.FileName(), c.path);
        EXPECT_EQ(host.IsOpen(), c.open);
        std::string error = "x";
        host.ErrorText(error);
        EXPECT_EQ(error, c.error);
        host.Close();
    }
    // Every library loaded on the way was unloaded again.
    int loads = 0, unloads = 0;
    for (const std::string& call : Calls()) {
        loads += call.ends_with(" load");
        unloads += call.ends_with(" unload");
    }
    EXPECT_GT(loads, 0);
    EXPECT_EQ(loads, unloads);
}

TEST_F(PluginHostTest, ResultThreeKeepsTheLibraryUntilClose) {
    Install("fx_refuse");
    PluginHost host(folder);
    host.Scan();
    std::string song = File("song.ref");
    Calls();
    ASSERT_EQ(host.OpenFile(song), 3);
    std::string error;
    host.ErrorText(error);
    EXPECT_EQ(error, "busy .ref");
    host.Play();  // no handle: nothing is forwarded
    EXPECT_EQ(host.State(), HMA_STATE_STOPPED);
    host.Close();
    EXPECT_EQ(Calls(), std::vector<std::string>({".ref load", ".ref CanBeOpen",
                                                 ".ref GetLastErrorString none 1024",
                                                 ".ref unload"}));
}

TEST_F(PluginHostTest, ForwardsAndKeepsTheDurationUntilItIsKnown) {
    Install("fx_wav");
    PluginHost host(folder);
    host.Scan();
    std::string song = File("song.wav");
    ASSERT_EQ(host.OpenFile(song), 1);
    // While the kept duration is negative the host answers for the plug-in.
    EXPECT_EQ(host.Position(), 0);
    EXPECT_EQ(host.State(), HMA_STATE_PLAYING);
    EXPECT_EQ(host.Duration(), 0);     // asks again: still unknown
    EXPECT_EQ(host.Duration(), 4000);  // asks again: known and kept
    EXPECT_EQ(host.Duration(), 4000);  // no more asking
    EXPECT_EQ(host.State(), HMA_STATE_STOPPED);
    host.Play();
    host.MoveTo(1500);
    EXPECT_EQ(host.Position(), 1500);
    EXPECT_EQ(host.State(), HMA_STATE_PLAYING);
    host.Pause();
    EXPECT_EQ(host.State(), HMA_STATE_PAUSED);
    std::string text;
    EXPECT_TRUE(host.TextItem(HMA_DATA_TYPE, text));
    EXPECT_EQ(text, "FIX");
    EXPECT_FALSE(host.TextItem(HMA_DATA_TITLE, text));
    EXPECT_EQ(host.SetNumberItem(66, HMA_DATA_VOLUME), 1);
    int32_t volume = 0;
    EXPECT_TRUE(host.NumberItem(HMA_DATA_VOLUME, volume));
    EXPECT_EQ(volume, 66);
    host.Close();
    EXPECT_FALSE(host.IsOpen());
    EXPECT_EQ(host.Duration(), 0);
    host.Play();  // nothing held: nothing forwarded

    std::vector<std::string> want = {
        ".wav load", ".wav CanBeOpen", ".wav Open", ".wav GetDuration",
        ".wav GetDuration", ".wav GetDuration", ".wav GetState", ".wav Play", ".wav SetPos 1500",
        ".wav GetPos", ".wav GetState", ".wav Pause", ".wav GetState", ".wav GetData 5 512",
        ".wav GetData 2 512", ".wav SetData 6 4", ".wav GetData 6 4", ".wav Stop", ".wav Clear",
        ".wav unload"};
    EXPECT_EQ(Calls(), want);
}

TEST_F(PluginHostTest, TheFirstPluginInListOrderThatAnswersIsChosen) {
    Install("fx_wav", "a.hma");
    Install("fx_mpeg", "b.hma");
    PluginHost host(folder);
    host.SetPlugins({Plugin("b.hma"), Plugin("a.hma")});
    std::string song = File("song.wav");
    Calls();
    ASSERT_EQ(host.OpenFile(song), 1);
    // The MPEG fixture looked first, turned it down and was unloaded before the WAV one loaded.
    std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5),
              std::vector<std::string>({".mp3 load", ".mp3 CanBeOpen", ".mp3 unload", ".wav load",
                                        ".wav CanBeOpen"}));
    // Opening another file releases the first one.
    EXPECT_EQ(host.OpenFile(File("other.mp3")), 1);
    calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], ".wav Stop");
    EXPECT_EQ(calls[1], ".wav Clear");
}

TEST_F(PluginHostTest, PlaysARealMp3ThroughTheMpegPlugin) {
    fs::copy_file(MPEGAUD_PLUGIN, folder + "/mpegaud.hma");
    Install("fx_wav");
    ASSERT_TRUE(WriteSineMp3(dir / "tone.mp3", {2.0, 44100, 2, 128, true}));
    PluginHost host(folder);
    settings::WriteSfmt("");
    std::string filter;
    host.Initialise(&filter);
    EXPECT_EQ(filter, "MPEG (*.mp3,*.mp2)|*.mp3;*.mp2|" + kWavFilter + PluginHost::kAllFilesFilter);
    ASSERT_EQ(host.OpenFile(dir / "tone.mp3"), 1);
    ASSERT_TRUE(WaitFor([&] { return host.Duration() == 2000; }));
    std::string text;
    ASSERT_TRUE(host.TextItem(HMA_DATA_TYPE, text));
    EXPECT_EQ(text, "MP3");
    ASSERT_TRUE(host.TextItem(HMA_DATA_SAMPLERATE, text));
    EXPECT_EQ(text, "44.1");
    host.Play();
    EXPECT_TRUE(WaitFor([&] { return host.State() == HMA_STATE_PLAYING; }));
    host.Close();
    EXPECT_FALSE(host.IsOpen());
}

}  // namespace
