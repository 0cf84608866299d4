// The fifteen exports of the MIDI plug-in: standard MIDI files on the synthesizer device, volume on the
// mixer's synthesizer line.
#include "common/audio/AudioDevice.h"
#include "common/playback/DevicePlugin.h"
#include "common/playback/MidiDecoder.h"
#include "common/playback/SoundOutput.h"

using zanto::playback::DevicePlugin;

namespace {

DevicePlugin& Plugin() {
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

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) { return Plugin().CanBeOpen(stream); }
HMA_HANDLE Open(CMediaStream* stream) { return Plugin().Open(stream); }
void Clear(HMA_HANDLE handle) { Plugin().Clear(handle); }
void Play(HMA_HANDLE handle) { Plugin().Play(handle); }
void Stop(HMA_HANDLE handle) { Plugin().Stop(handle); }
void Pause(HMA_HANDLE handle) { Plugin().Pause(handle); }
int32_t GetDuration(HMA_HANDLE handle) { return Plugin().GetDuration(handle); }
int32_t GetState(HMA_HANDLE handle) { return Plugin().GetState(handle); }
int32_t GetPos(HMA_HANDLE handle) { return Plugin().GetPos(handle); }
void SetPos(HMA_HANDLE handle, int32_t ms) { Plugin().SetPos(handle, ms); }
int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return Plugin().GetData(handle, code, buffer, size);
}
int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return Plugin().SetData(handle, code, buffer, size);
}
void* GetStream(HMA_HANDLE) { return nullptr; }
void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) {}
int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    return Plugin().GetLastErrorString(buffer, size);
}

}  // extern "C"
