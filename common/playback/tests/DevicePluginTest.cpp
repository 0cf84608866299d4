// The exports shared by the WAVE and MIDI plug-ins, with the device's output, the output checks
// and the mixer replaced by fakes: the CanBeOpen codes and texts, the volume arithmetic on the
// mixer line, and what a handle answers when its file or the sound output fails.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "common/playback/DevicePlugin.h"
#include "common/playback/WaveDecoder.h"
#include "common/testing/FakePcmOutput.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto;
using namespace zanto::playback;
using testkit::Bytes;

namespace {

// A mixer whose lines the test sets up and reads back.
struct FakeMixer final : MixerBackend {
    std::map<uint32_t, std::vector<uint32_t>> lines;
    struct Control final : MixerControl {
        std::vector<uint32_t>* values;
        explicit Control(std::vector<uint32_t>* v) : values(v) {}
        int Channels() const override { return static_cast<int>(values->size()); }
        bool Read(std::vector<uint32_t>& out) override {
            out = *values;
            return true;
        }
        int Write(const std::vector<uint32_t>& in) override {
            *values = in;
            return 0;
        }
    };
    std::unique_ptr<MixerControl> OpenControl(uint32_t type, uint32_t) override {
        auto it = lines.find(type);
        return it == lines.end() ? nullptr : std::make_unique<Control>(&it->second);
    }
};

// A stream that holds only a path, or fails when asked for it.
struct PathStream final : CMediaStream {
    bool fail = false;
    uint32_t SeekToEnd() override { return 0; }
    void SeekToBegin() override {}
    uint32_t GetPosition() override { return 0; }
    int32_t Seek(int32_t, int32_t) override { return 0; }
    uint32_t GetLength() override { return 0; }
    uint32_t Read(void*, uint32_t) override { return 0; }
    const char* GetPath() override {
        if (fail) throw std::runtime_error("gone");
        return CMediaStream::GetPath();
    }
    void Abort() override {}
    void Flush() override {}
    void Close() override {}
};

struct PluginFixture : testing::Test {
    testkit::TempDir dir;
    bool hasOutput = true;
    bool outputFree = true;
    bool refuseOutput = false;
    std::shared_ptr<FakeMixer> mixer = std::make_shared<FakeMixer>();
    DevicePlugin plugin{{
        "There is no audio device", "Already used wave-out", "WAV", "WAV (*.wav)|*.wav|",
        "WAV Player", true,
        [](const std::string& path) { return FileBeginsWith(path, "RIFF"); },
        [this] { return outputFree; },
        [this] { return hasOutput; },
        [this] {
            DevicePlayerSetup s;
            s.type = {"waveaudio", true, &WaveDecoder::Open};
            s.mixerLine = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
            s.readWaveFormat = true;
            s.mixer = mixer;
            s.output = [this](int rate, int channels, std::function<void()> progress,
                              std::string*) -> std::unique_ptr<PcmOutput> {
                if (refuseOutput) return nullptr;
                return std::make_unique<testkit::FakePcmOutput>(rate, channels, 4096, progress);
            };
            return s;
        },
    }};

    std::string File(const std::string& name, const Bytes& bytes) {
        std::string path = dir / name;
        EXPECT_TRUE(testkit::WriteFile(path, bytes));
        return path;
    }
    std::string Wave() { return File("a.wav", testkit::WaveFile(1, 2, 44100, 16, Bytes(44100 * 4, 0))); }
    std::string ErrorText(HMA_HANDLE handle = nullptr) {
        char text[HMA_ERROR_TEXT_SIZE];
        std::memset(text, 'x', sizeof text);
        int32_t n = plugin.GetLastErrorString(text, sizeof text);
        (void)handle;
        return n > 0 ? std::string(text, static_cast<size_t>(n - 1)) : "<none>";
    }
    HMA_HANDLE OpenPath(const std::string& path) {
        PathStream s;
        s.Open(path.c_str());
        return plugin.Open(&s);
    }
    int32_t Volume(HMA_HANDLE h) {
        int32_t v = -999;
        return plugin.GetData(h, HMA_DATA_VOLUME, &v, sizeof v) ? v : -999;
    }
};

TEST_F(PluginFixture, CanBeOpenChecksTheOutputFirstAndTheBusyDeviceAfterTheFile) {
    std::string wav = Wave();
    std::string text = File("a.txt", {'h', 'e', 'l', 'l', 'o'});
    struct Case {
        bool hasOutput, free;
        std::string path;
        int32_t result;
        std::string error;  // the text afterwards
    };
    EXPECT_EQ(ErrorText(), "<none>") << "no text before any failure";
    for (const Case& c : {Case{true, true, wav, HMA_OPEN_YES, "<none>"},
                          Case{true, false, text, HMA_OPEN_NO, "<none>"},
                          Case{true, true, dir / "missing.wav", HMA_OPEN_NO, "<none>"},
                          Case{false, true, text, HMA_OPEN_ERROR, "There is no audio device"},
                          Case{true, true, wav, HMA_OPEN_YES, "There is no audio device"},
                          Case{true, false, wav, HMA_OPEN_ERROR, "Already used wave-out"},
                          Case{false, false, wav, HMA_OPEN_ERROR, "There is no audio device"}}) {
        SCOPED_TRACE(c.path);
        hasOutput = c.hasOutput;
        outputFree = c.free;
        PathStream s;
        s.Open(c.path.c_str());
        EXPECT_EQ(plugin.CanBeOpen(&s), c.result);
        EXPECT_EQ(ErrorText(), c.error) << "codes are never cleared";
    }
    EXPECT_EQ(plugin.CanBeOpen(nullptr), HMA_OPEN_YES);
    hasOutput = outputFree = true;
    PathStream failing;
    failing.fail = true;
    EXPECT_EQ(plugin.CanBeOpen(&failing), HMA_OPEN_NO);
    EXPECT_EQ(plugin.Open(&failing), nullptr);

    // The text is cut to the buffer, its NUL always included.
    char small[8];
    EXPECT_EQ(plugin.GetLastErrorString(small, sizeof small), 8);
    EXPECT_STREQ(small, "There i");
}

TEST_F(PluginFixture, VolumeActsOnTheLineAndKeepsItsBalance) {
    struct Case {
        std::vector<uint32_t> line;
        int32_t volume;
        std::vector<uint32_t> after;
    };
    for (const Case& c : {Case{{30000, 30000}, 100, {65534, 65534}},
                          Case{{30000, 30000}, 0, {1, 1}},
                          Case{{32768, 16384}, 100, {65534, 32767}},
                          Case{{16384, 32768}, 50, {16384, 32768}},
                          Case{{1000}, 25, {16384}}}) {
        mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT] = c.line;
        HMA_HANDLE h = OpenPath(Wave());
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(Volume(h), 55) << "level 128 before any volume is set";
        int32_t v = c.volume;
        EXPECT_EQ(plugin.SetData(h, HMA_DATA_VOLUME, &v, sizeof v), 1);
        EXPECT_EQ(mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT], c.after);
        plugin.Clear(h);
    }
    HMA_HANDLE h = OpenPath(Wave());
    int32_t v = 100;
    ASSERT_EQ(plugin.SetData(h, HMA_DATA_VOLUME, &v, sizeof v), 1);
    EXPECT_EQ(Volume(h), 111);
    EXPECT_EQ(plugin.SetData(h, HMA_DATA_TITLE, &v, sizeof v), 1) << "other codes are ignored";
    EXPECT_EQ(Volume(h), 111);
    plugin.Clear(h);

    // Without the line there is no volume control: neither answered nor taken.
    mixer->lines.clear();
    h = OpenPath(Wave());
    EXPECT_EQ(Volume(h), -999);
    EXPECT_EQ(plugin.SetData(h, HMA_DATA_VOLUME, &v, sizeof v), 0);
    plugin.Clear(h);
}

TEST_F(PluginFixture, AFileTheDeviceCannotOpenGivesAHandleThatPlaysNothing) {
    // A RIFF file of another form passes CanBeOpen; the device then refuses it.
    Bytes avi = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    std::string path = File("v.avi", avi);
    PathStream s;
    s.Open(path.c_str());
    ASSERT_EQ(plugin.CanBeOpen(&s), HMA_OPEN_YES);
    HMA_HANDLE h = plugin.Open(&s);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(plugin.GetDuration(h), 0);
    plugin.Play(h);
    EXPECT_EQ(plugin.GetState(h), HMA_STATE_STOPPED);
    EXPECT_EQ(plugin.GetPos(h), 0);
    char text[16];
    EXPECT_EQ(plugin.GetData(h, HMA_DATA_TYPE, text, sizeof text), 1);
    EXPECT_STREQ(text, "WAV");
    plugin.Clear(h);
}

TEST_F(PluginFixture, NoSoundOutputAtPlayIsAnErrorWithItsText) {
    refuseOutput = true;
    HMA_HANDLE h = OpenPath(Wave());
    ASSERT_EQ(plugin.GetDuration(h), 1000);
    EXPECT_EQ(plugin.GetState(h), HMA_STATE_STOPPED);
    plugin.Play(h);
    EXPECT_EQ(plugin.GetState(h), HMA_STATE_ERROR);
    EXPECT_EQ(ErrorText(), "Already used wave-out");
    plugin.Clear(h);
}

TEST_F(PluginFixture, StaleAndNullHandlesAreIgnored) {
    HMA_HANDLE h = OpenPath(Wave());
    plugin.Clear(h);
    int32_t v = 50;
    char buffer[64] = "untouched";
    for (HMA_HANDLE handle : {HMA_HANDLE(nullptr), h}) {
        plugin.Play(handle);
        plugin.Stop(handle);
        plugin.Pause(handle);
        plugin.SetPos(handle, 10);
        plugin.Clear(handle);
        EXPECT_EQ(plugin.GetDuration(handle), 0);
        EXPECT_EQ(plugin.GetState(handle), 0);
        EXPECT_EQ(plugin.GetPos(handle), 0);
        EXPECT_EQ(plugin.SetData(handle, HMA_DATA_VOLUME, &v, sizeof v), 0);
        for (int32_t code = 0; code <= 10; ++code) {
            bool answered = code == HMA_DATA_FILTER || code == HMA_DATA_NAME;
            EXPECT_EQ(plugin.GetData(handle, code, buffer, sizeof buffer), answered ? 1 : 0) << code;
        }
    }
}

}  // namespace
