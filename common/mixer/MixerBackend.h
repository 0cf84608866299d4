#pragma once
// The platform side of the mixer volume control: finds a line's volume control and reads or
// writes its per-channel values in the range 0..65535. The ALSA implementation is the real one;
// tests use a fake.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zanto {

class MixerControl {
public:
    virtual ~MixerControl() = default;
    virtual int Channels() const = 0;
    // One value per channel, 0..65535; false when they cannot be read.
    virtual bool Read(std::vector<uint32_t>& values) = 0;
    // Writes one value per channel; 0 on success, else a nonzero error code.
    virtual int Write(const std::vector<uint32_t>& values) = 0;
};

class MixerBackend {
public:
    virtual ~MixerBackend() = default;
    // The volume control of the line of that component type, or null when the mixer, the line or
    // the control does not exist.
    virtual std::unique_ptr<MixerControl> OpenControl(uint32_t componentType,
                                                      uint32_t controlType) = 0;
};

// The ALSA simple mixer of a card: "default" unless ZANTO_MIXER_DEVICE names another
// ("hw:1", ...). Wave output is the element "PCM" or else "Master", compact disc "CD",
// synthesizer "Synth".
std::shared_ptr<MixerBackend> MakeAlsaMixer();
std::shared_ptr<MixerBackend> MakeAlsaMixer(const std::string& device);

// The ALSA element names tried, in order, for a line kind; empty for an unknown kind.
std::vector<std::string> AlsaElementsFor(uint32_t componentType);

}  // namespace zanto
