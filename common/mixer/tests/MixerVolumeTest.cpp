#include <gtest/gtest.h>

#include <map>

#include "common/mixer/MixerVolume.h"

namespace zanto {
namespace {

// A mixer with lines kept in memory; every write is recorded.
struct FakeLine {
    std::vector<uint32_t> values;
    bool readFails = false;
    int writeResult = 0;
    std::vector<std::vector<uint32_t>> writes;
};

class FakeControl final : public MixerControl {
public:
    explicit FakeControl(FakeLine& line) : line_(line) {}
    int Channels() const override { return static_cast<int>(line_.values.size()); }
    bool Read(std::vector<uint32_t>& values) override {
        if (line_.readFails) return false;
        values = line_.values;
        return true;
    }
    int Write(const std::vector<uint32_t>& values) override {
        line_.writes.push_back(values);
        if (line_.writeResult == 0) line_.values = values;
        return line_.writeResult;
    }

private:
    FakeLine& line_;
};

class FakeMixer final : public MixerBackend {
public:
    std::map<uint32_t, FakeLine> lines;
    std::unique_ptr<MixerControl> OpenControl(uint32_t componentType,
                                              uint32_t controlType) override {
        auto it = lines.find(componentType);
        if (it == lines.end() || controlType != MIXERCONTROL_CONTROLTYPE_VOLUME) return nullptr;
        return std::make_unique<FakeControl>(it->second);
    }
};

struct LevelCase {
    const char* name;
    std::vector<uint32_t> before;
    int volume;  // host volume 0..100
    std::vector<uint32_t> after;
};

TEST(MixerVolume, SetLevelKeepsTheBalance) {
    const LevelCase cases[] = {
        {"centred full", {40000, 40000}, 100, {65534, 65534}},
        {"centred silent", {40000, 40000}, 0, {1, 1}},
        {"centred half", {0, 0}, 50, {32768, 32768}},
        {"left louder", {32768, 16384}, 100, {65534, 32767}},
        {"right louder", {16384, 32768}, 100, {32767, 65534}},
        {"right only", {0, 50000}, 100, {0, 65534}},
        {"mono", {1234}, 100, {65534}},
        {"mono silent", {1234}, 0, {1}},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto mixer = std::make_shared<FakeMixer>();
        mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT].values = c.before;
        CMixerVolume volume(mixer);
        ASSERT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), 1);
        EXPECT_EQ(volume.SetLevel(LevelFromVolume(c.volume)), 0);
        EXPECT_EQ(mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT].values, c.after);
        EXPECT_EQ(volume.GetLevel(), LevelFromVolume(c.volume));
    }
}

// Going down to the quietest level and back must not lose the balance (at level 1 the quieter
// channel truncates to 0, from which no proportion could be recovered).
TEST(MixerVolume, BalanceSurvivesSilenceAndRepeatedChanges) {
    auto mixer = std::make_shared<FakeMixer>();
    FakeLine& line = mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC];
    line.values = {60000, 30000};
    CMixerVolume volume(mixer);
    ASSERT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC), 1);
    ASSERT_EQ(volume.SetLevel(0), 0);
    EXPECT_EQ(line.values, (std::vector<uint32_t>{1, 0}));
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(volume.SetLevel(i % 2 ? 256 : 200), 0);
    }
    EXPECT_EQ(line.values, (std::vector<uint32_t>{65534, 32767}));
}

TEST(MixerVolume, LevelIsClampedToItsRange) {
    auto mixer = std::make_shared<FakeMixer>();
    FakeLine& line = mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT];
    line.values = {100, 100};
    CMixerVolume volume(mixer);
    ASSERT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), 1);
    EXPECT_EQ(volume.SetLevel(-5), 0);
    EXPECT_EQ(line.values, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(volume.GetLevel(), 0);
    EXPECT_EQ(volume.SetLevel(100000), 0);
    EXPECT_EQ(line.values, (std::vector<uint32_t>{65534, 65534}));
    EXPECT_EQ(volume.GetLevel(), 256);
}

TEST(MixerVolume, UnavailableControls) {
    struct Case {
        const char* name;
        bool haveLine;
        std::vector<uint32_t> values;
        bool readFails;
        uint32_t controlType;
    };
    const Case cases[] = {
        {"no such line", false, {}, false, MIXERCONTROL_CONTROLTYPE_VOLUME},
        {"line without channels", true, {}, false, MIXERCONTROL_CONTROLTYPE_VOLUME},
        {"values unreadable", true, {5, 5}, true, MIXERCONTROL_CONTROLTYPE_VOLUME},
        {"other control type", true, {5, 5}, false, 0x20010001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto mixer = std::make_shared<FakeMixer>();
        if (c.haveLine) {
            mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER].values = c.values;
            mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER].readFails = c.readFails;
        }
        CMixerVolume volume(mixer);
        EXPECT_EQ(volume.IsAvailable(), 1);  // until an Open fails
        EXPECT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, c.controlType), 0);
        EXPECT_EQ(volume.IsAvailable(), 0);
        EXPECT_EQ(volume.SetLevel(256), -1);
        EXPECT_EQ(volume.GetLevel(), 128);
        if (c.haveLine) {
            EXPECT_TRUE(mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER].writes.empty());
        }
    }
    CMixerVolume none(nullptr);
    EXPECT_EQ(none.Open(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), 0);
    EXPECT_EQ(none.IsAvailable(), 0);
}

TEST(MixerVolume, MixerErrorIsTheResult) {
    auto mixer = std::make_shared<FakeMixer>();
    FakeLine& line = mixer->lines[MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT];
    line.values = {10, 10};
    line.writeResult = 11;
    CMixerVolume volume(mixer);
    ASSERT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), 1);
    EXPECT_EQ(volume.SetLevel(256), 11);
    EXPECT_EQ(line.writes.size(), 1u);
}

TEST(MixerVolume, HostVolumeConversions) {
    struct Case {
        int32_t volume;
        int level;
        int32_t answered;  // what the plug-in hands back for the level
    };
    const Case cases[] = {{100, 256, 111}, {50, 128, 55}, {0, 0, 0}, {1, 2, 0}, {99, 253, 110}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(LevelFromVolume(c.volume), c.level);
        EXPECT_EQ(VolumeFromLevel(c.level), c.answered);
    }
    EXPECT_EQ(VolumeFromLevel(CMixerVolume::kInitialLevel), 55);
}

TEST(MixerVolume, LineKindsMapToAlsaElements) {
    EXPECT_EQ(AlsaElementsFor(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT),
              (std::vector<std::string>{"PCM", "Master"}));
    EXPECT_EQ(AlsaElementsFor(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC),
              (std::vector<std::string>{"CD"}));
    EXPECT_EQ(AlsaElementsFor(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER),
              (std::vector<std::string>{"Synth"}));
    EXPECT_TRUE(AlsaElementsFor(0x1234).empty());
}

// A card that does not exist leaves the control unavailable instead of failing later.
TEST(MixerVolume, MissingAlsaCardIsUnavailable) {
    CMixerVolume volume(MakeAlsaMixer("hw:97"));
    EXPECT_EQ(volume.Open(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), 0);
    EXPECT_EQ(volume.IsAvailable(), 0);
    EXPECT_EQ(volume.SetLevel(128), -1);
}

}  // namespace
}  // namespace zanto
