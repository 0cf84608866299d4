// libFuzzer target for the MIDI file reader: any bytes are read or refused without a stray read,
// and whatever is read has its events in time order within the song's length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/playback/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zanto::playback::MidiSong song;
    if (!zanto::playback::ParseMidi(data, size, &song, nullptr)) return 0;
    double last = 0;
    for (const auto& e : song.events) {
        if (e.ms < last || e.ms > song.lengthMs) std::abort();
        last = e.ms;
    }
    return 0;
}
