#include "common/mixer/MixerVolume.h"

#include <algorithm>

namespace zanto {

CMixerVolume::CMixerVolume() : CMixerVolume(MakeAlsaMixer()) {}

CMixerVolume::CMixerVolume(std::shared_ptr<MixerBackend> backend) : backend_(std::move(backend)) {}

CMixerVolume::~CMixerVolume() = default;

int CMixerVolume::Open(uint32_t componentType, uint32_t controlType) {
    control_.reset();
    values_.clear();
    valuesFromMixer_ = false;
    available_ = false;
    if (!backend_) return 0;
    std::unique_ptr<MixerControl> control = backend_->OpenControl(componentType, controlType);
    if (!control || control->Channels() < 1) return 0;
    std::vector<uint32_t> values;
    if (!control->Read(values) || values.size() != static_cast<size_t>(control->Channels())) {
        return 0;
    }
    control_ = std::move(control);
    values_ = std::move(values);
    valuesFromMixer_ = true;
    available_ = true;
    return 1;
}

int CMixerVolume::SetLevel(int level) {
    if (!available_ || !control_) return -1;
    level = std::clamp(level, 0, kMaxLevel);
    level_ = level;
    uint32_t v = static_cast<uint32_t>(level) * 256;
    if (v > 65535) v = 65534;
    if (v == 0) v = 1;

    if (values_.size() >= 2 && valuesFromMixer_) {
        const double l = values_[0];
        const double r = values_[1];
        const double m = std::max(l, r);
        if (m > 0) balance_ = (r - l) / m;
    }
    if (values_.size() == 1) {
        values_[0] = v;
    } else if (values_.size() >= 2) {
        if (balance_ > 0) {
            values_[1] = v;
            values_[0] = static_cast<uint32_t>((1.0 - balance_) * v);
        } else {
            values_[0] = v;
            values_[1] = static_cast<uint32_t>((1.0 + balance_) * v);
        }
    }
    valuesFromMixer_ = false;
    return control_->Write(values_);
}

int LevelFromVolume(int32_t volume) {
    return static_cast<int>(static_cast<double>(volume) * 2.56);
}

int32_t VolumeFromLevel(int level) {
    return static_cast<int32_t>(static_cast<double>(level) * 0.435);
}

}  // namespace zanto
