#pragma once
// The player object of the plug-ins that play through the playback device (WAVE and MIDI): the
// device, the error of its last failed command, the facts read once at opening, and the volume of
// the device's mixer line. A command that fails closes the device; the answers then keep the values
// last read.
#include <cstdint>
#include <memory>
#include <string>

#include "common/mixer/MixerVolume.h"
#include "common/playback/PlaybackDevice.h"

namespace zanto::playback {

struct DevicePlayerSetup {
    DeviceType type;
    uint32_t mixerLine = 0;        // the mixer line component type of the volume control
    bool readWaveFormat = false;   // read sample rate, bytes per second and channels at opening
    OutputFactory output;
    std::shared_ptr<MixerBackend> mixer;  // null: the sound card's mixer
};

class DevicePlayer {
public:
    explicit DevicePlayer(DevicePlayerSetup setup);
    ~DevicePlayer();
    DevicePlayer(const DevicePlayer&) = delete;
    DevicePlayer& operator=(const DevicePlayer&) = delete;

    // Opens the device on the file and reads its facts, then opens the volume control. A failure
    // leaves a player that plays nothing and reports a duration of 0.
    void OpenFile(const std::string& path);

    void Play();
    void Stop();   // seeks to 0, which ends sounding
    void Pause();
    void SetPos(int32_t ms);  // seeks, then plays
    int32_t Duration() const { return duration_; }
    int32_t State();
    int32_t Position();

    // The host's volume (0..100) from the mixer level; false without a volume control.
    bool GetVolume(int32_t* volume) const;
    // 1 when the volume control took the level, 0 without a volume control.
    int32_t SetVolume(int32_t volume);

    int32_t LastError() const { return lastError_; }
    // True once the sound output could not be opened for playing.
    bool OutputFailed() const { return lastError_ == kDeviceOutputUnavailable; }
    uint32_t SampleRate() const { return sampleRate_; }
    uint32_t AvgBytesPerSec() const { return avgBytesPerSec_; }
    uint32_t Channels() const { return channels_; }
    const CMixerVolume& Volume() const { return *volume_; }

private:
    bool Check(int32_t result);

    DevicePlayerSetup setup_;
    PlaybackDevice device_;
    std::unique_ptr<CMixerVolume> volume_;
    int32_t lastError_ = kDeviceOk;
    int32_t duration_ = 0;
    uint32_t position_ = 0;
    Mode mode_ = Mode::Stop;
    uint32_t sampleRate_ = 0;
    uint32_t avgBytesPerSec_ = 0;
    uint32_t channels_ = 0;
};

}  // namespace zanto::playback
