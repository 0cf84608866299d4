// The MIDI plug-in's DevicePlugin, which its exports forward to: standard MIDI files on the
// synthesizer device, volume on the mixer's synthesizer line.
#include "common/audio/AudioDevice.h"
#include "common/playback/DevicePlugin.h"
#include "common/playback/MidiDecoder.h"
#include "common/playback/SoundOutput.h"

using zanto::playback::DevicePlugin;

DevicePlugin& zanto::playback::TheDevicePlugin() {
    static DevicePlugin plugin({
        "There is no sound card",
        "Already used midi-out",
        "MID",
        "MID (*.mid)|*.mid|",
        "MIDI Player",
        false,
        // Only plain standard MIDI files; RIFF-packed ones are not taken.
        [](const std::string& path) { return zanto::playback::FileBeginsWith(path, "MThd"); },
        // The synthesizer stands in for the MIDI output: its test open is making it, font and all.
        [] { return zanto::playback::Synthesizer::Create(zanto::playback::MidiDecoder::kRate, nullptr) != nullptr; },
        &zanto::audio::HasOutputDevice,
        [] {
            zanto::playback::DevicePlayerSetup s;
            s.type = {"sequencer", false, &zanto::playback::MidiDecoder::Open};
            s.mixerLine = zanto::MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER;
            s.output = zanto::playback::SoundOutput();
            return s;
        },
    });
    return plugin;
}
