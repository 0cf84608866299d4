// The WAVE plug-in's DevicePlugin, which its exports forward to: PCM WAVE files on the playback
// device, volume on the mixer's wave-output line.
#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "common/audio/AudioDevice.h"
#include "common/playback/DevicePlugin.h"
#include "common/playback/SoundOutput.h"
#include "common/playback/WaveDecoder.h"

using zanto::playback::DevicePlugin;

DevicePlugin& zanto::playback::TheDevicePlugin() {
    static DevicePlugin plugin({
        "There is no audio device",
        "Already used wave-out",
        "WAV",
        "WAV (*.wav)|*.wav|",
        "WAV Player",
        true,
        [](const std::string& path) {
            // WAVE files holding MPEG audio belong to the MPEG plug-in.
            return zanto::playback::FileBeginsWith(path, "RIFF") &&
                   !zanto::mpeg::IsValidHeader(zanto::ProbeMpegFile(path));
        },
        &zanto::audio::TestOpenDefaultDevice,
        &zanto::audio::HasOutputDevice,
        [] {
            zanto::playback::DevicePlayerSetup s;
            s.type = {"waveaudio", true, &zanto::playback::WaveDecoder::Open};
            s.mixerLine = zanto::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
            s.readWaveFormat = true;
            s.output = zanto::playback::SoundOutput();
            return s;
        },
    });
    return plugin;
}
