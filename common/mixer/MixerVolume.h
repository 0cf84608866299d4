#pragma once
// Volume of one source line of the sound card's mixer, as the plug-ins set it from the host's
// volume (0..100). The level runs from 0 to 256; each channel of the line holds a value from 0 to
// 65535. Changing the level keeps the balance between the left and the right channel: the louder
// channel takes the new level and the other keeps its proportion.
#include <cstdint>
#include <memory>
#include <vector>

#include "common/mixer/MixerBackend.h"

namespace zanto {

// Source lines and the control type, with the numbers of the platform's mixer interface so that
// stored values and callers keep their meaning.
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;

class CMixerVolume {
public:
    static constexpr int kInitialLevel = 128;
    static constexpr int kMaxLevel = 256;

    // Uses the ALSA simple mixer of the default card (ZANTO_MIXER_DEVICE names another one).
    CMixerVolume();
    // Uses the given mixer (tests pass a fake one).
    explicit CMixerVolume(std::shared_ptr<MixerBackend> backend);
    ~CMixerVolume();
    CMixerVolume(const CMixerVolume&) = delete;
    CMixerVolume& operator=(const CMixerVolume&) = delete;

    // Finds the line and reads its current channel values. 1 available, 0 not (no mixer, no such
    // line, no control of that type, values unreadable); the control then stays unavailable.
    int Open(uint32_t componentType, uint32_t controlType = MIXERCONTROL_CONTROLTYPE_VOLUME);
    // Sets the level (0..256, values outside are clamped); 0 when the mixer took the values,
    // otherwise the mixer's error code. An unavailable control answers -1.
    int SetLevel(int level);
    // The level last set (128 before any).
    int GetLevel() const { return level_; }
    int IsAvailable() const { return available_ ? 1 : 0; }
    // The channel values last read or written (for the display and the tests).
    const std::vector<uint32_t>& Values() const { return values_; }
    double Balance() const { return balance_; }

private:
    std::shared_ptr<MixerBackend> backend_;
    std::unique_ptr<MixerControl> control_;
    int level_ = kInitialLevel;
    double balance_ = 0.0;
    std::vector<uint32_t> values_;
    bool available_ = true;
    // True while values_ are as read from the mixer; after our own writes they only carry the
    // balance with truncation loss, so it is not worked out from them again.
    bool valuesFromMixer_ = false;
};

// The host's volume (0..100) as a level: volume x 2.56, truncated.
int LevelFromVolume(int32_t volume);
// A level as the host's volume: level x 0.435, truncated (so level 256 answers 111, 128 answers 55).
int32_t VolumeFromLevel(int level);

}  // namespace zanto
