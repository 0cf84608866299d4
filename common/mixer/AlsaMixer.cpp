// The mixer volume control's platform side on the ALSA simple mixer interface.
#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/mixer/MixerBackend.h"
#include "common/mixer/MixerVolume.h"

namespace zanto {
namespace {

constexpr double kFullScale = 65535.0;

// ALSA reads its configuration once into process-wide state that only its own unload would drop,
// and drops it without freeing: a plug-in that is unloaded must not take the library with it, or
// every load of a plug-in leaks that configuration again.
void KeepAlsaLoaded() {
    static void* pinned = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    (void)pinned;
}

// One element of an open mixer; the mixer handle is shared with nothing else and closed with it.
class AlsaControl final : public MixerControl {
public:
    AlsaControl(snd_mixer_t* mixer, snd_mixer_elem_t* elem, int channels, long min, long max)
        : mixer_(mixer), elem_(elem), channels_(channels), min_(min), max_(max) {}
    ~AlsaControl() override { snd_mixer_close(mixer_); }

    int Channels() const override { return channels_; }

    bool Read(std::vector<uint32_t>& values) override {
        snd_mixer_handle_events(mixer_);
        values.assign(static_cast<size_t>(channels_), 0);
        for (int c = 0; c < channels_; ++c) {
            long raw = 0;
            if (snd_mixer_selem_get_playback_volume(elem_, Channel(c), &raw) < 0) return false;
            const double scaled = (static_cast<double>(raw - min_) * kFullScale) /
                                  static_cast<double>(max_ - min_);
            values[static_cast<size_t>(c)] =
                static_cast<uint32_t>(std::lround(std::clamp(scaled, 0.0, kFullScale)));
        }
        return true;
    }

    int Write(const std::vector<uint32_t>& values) override {
        for (int c = 0; c < channels_ && c < static_cast<int>(values.size()); ++c) {
            const double v = std::min<double>(values[static_cast<size_t>(c)], kFullScale);
            const long raw =
                min_ + std::lround(v * static_cast<double>(max_ - min_) / kFullScale);
            const int rc = snd_mixer_selem_set_playback_volume(elem_, Channel(c), raw);
            if (rc < 0) return -rc;
        }
        return 0;
    }

private:
    static snd_mixer_selem_channel_id_t Channel(int c) {
        return c == 0 ? SND_MIXER_SCHN_FRONT_LEFT : SND_MIXER_SCHN_FRONT_RIGHT;
    }

    snd_mixer_t* mixer_;
    snd_mixer_elem_t* elem_;
    int channels_;
    long min_;
    long max_;
};

class AlsaMixer final : public MixerBackend {
public:
    explicit AlsaMixer(std::string device) : device_(std::move(device)) {}

    std::unique_ptr<MixerControl> OpenControl(uint32_t componentType,
                                              uint32_t controlType) override {
        if (controlType != MIXERCONTROL_CONTROLTYPE_VOLUME) return nullptr;
        const std::vector<std::string> names = AlsaElementsFor(componentType);
        if (names.empty()) return nullptr;
        KeepAlsaLoaded();
        snd_mixer_t* mixer = nullptr;
        if (snd_mixer_open(&mixer, 0) < 0) return nullptr;
        if (snd_mixer_attach(mixer, device_.c_str()) < 0 ||
            snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
            snd_mixer_close(mixer);
            return nullptr;
        }
        for (const std::string& name : names) {
            snd_mixer_selem_id_t* sid = nullptr;
            snd_mixer_selem_id_alloca(&sid);
            snd_mixer_selem_id_set_index(sid, 0);
            snd_mixer_selem_id_set_name(sid, name.c_str());
            snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, sid);
            if (!elem || !snd_mixer_selem_has_playback_volume(elem)) continue;
            long min = 0;
            long max = 0;
            if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0 || max <= min) {
                continue;
            }
            int channels = 1;
            if (!snd_mixer_selem_is_playback_mono(elem) &&
                snd_mixer_selem_has_playback_channel(elem, SND_MIXER_SCHN_FRONT_RIGHT)) {
                channels = 2;
            }
            return std::make_unique<AlsaControl>(mixer, elem, channels, min, max);
        }
        snd_mixer_close(mixer);
        return nullptr;
    }

private:
    std::string device_;
};

}  // namespace

std::vector<std::string> AlsaElementsFor(uint32_t componentType) {
    switch (componentType) {
        case MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT: return {"PCM", "Master"};
        case MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC: return {"CD"};
        case MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER: return {"Synth"};
        default: return {};
    }
}

std::shared_ptr<MixerBackend> MakeAlsaMixer(const std::string& device) {
    return std::make_shared<AlsaMixer>(device);
}

std::shared_ptr<MixerBackend> MakeAlsaMixer() {
    const char* device = std::getenv("ZANTO_MIXER_DEVICE");
    return MakeAlsaMixer(device && *device ? device : "default");
}

}  // namespace zanto
