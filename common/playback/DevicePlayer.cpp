#include "common/playback/DevicePlayer.h"

#include "plugins/contract/HmaPlugin.h"

namespace zanto::playback {

DevicePlayer::DevicePlayer(DevicePlayerSetup setup)
    : setup_(std::move(setup)),
      device_(setup_.output),
      volume_(setup_.mixer ? std::make_unique<CMixerVolume>(setup_.mixer)
                           : std::make_unique<CMixerVolume>()) {}

DevicePlayer::~DevicePlayer() { device_.Close(); }

bool DevicePlayer::Check(int32_t result) {
    if (result == kDeviceOk) return true;
    lastError_ = result;
    return false;
}

void DevicePlayer::OpenFile(const std::string& path) {
    // Each step runs only while the ones before it succeeded: a failure has closed the device.
    uint32_t v = 0;
    if (Check(device_.Open(setup_.type, path)) &&
        Check(device_.SetTimeFormat(TimeFormat::Milliseconds)) &&
        Check(device_.Status(StatusItem::Length, &v))) {
        duration_ = static_cast<int32_t>(v);
        if (setup_.readWaveFormat) {
            if (Check(device_.Status(StatusItem::SamplesPerSec, &v))) sampleRate_ = v;
            if (Check(device_.Status(StatusItem::AvgBytesPerSec, &v))) avgBytesPerSec_ = v;
            if (Check(device_.Status(StatusItem::Channels, &v))) channels_ = v;
        }
    }
    volume_->Open(setup_.mixerLine, MIXERCONTROL_CONTROLTYPE_VOLUME);
}

void DevicePlayer::Play() { Check(device_.Play()); }

void DevicePlayer::Stop() { Check(device_.Seek(0)); }

void DevicePlayer::Pause() { Check(device_.Pause()); }

void DevicePlayer::SetPos(int32_t ms) {
    if (Check(device_.Seek(ms < 0 ? 0u : static_cast<uint32_t>(ms)))) Check(device_.Play());
}

int32_t DevicePlayer::State() {
    uint32_t v = 0;
    if (Check(device_.Status(StatusItem::Mode, &v))) mode_ = static_cast<Mode>(v);
    switch (mode_) {
        case Mode::Stop: return HMA_STATE_STOPPED;
        case Mode::Pause: return HMA_STATE_PAUSED;
        default: return HMA_STATE_PLAYING;
    }
}

int32_t DevicePlayer::Position() {
    uint32_t v = 0;
    if (Check(device_.Status(StatusItem::Position, &v))) position_ = v;
    return static_cast<int32_t>(position_);
}

bool DevicePlayer::GetVolume(int32_t* volume) const {
    if (!volume_->IsAvailable()) return false;
    *volume = VolumeFromLevel(volume_->GetLevel());
    return true;
}

int32_t DevicePlayer::SetVolume(int32_t volume) {
    if (!volume_->IsAvailable()) return 0;
    volume_->SetLevel(LevelFromVolume(volume));
    return 1;
}

}  // namespace zanto::playback
