#pragma once
// A standard MIDI file read into one time-ordered list of the events a synthesizer needs, with
// each event's time in milliseconds from the tempo map. Formats 0 and 1 (tracks merged) and 2
// (tracks played one after another); SMPTE time division as well as ticks per quarter note.
#include <cstdint>
#include <string>
#include <vector>

namespace zanto::playback {

struct MidiEvent {
    double ms = 0;          // time from the start of the song
    uint8_t status = 0;     // channel message status byte, or 0xF0 for a system exclusive message
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    std::vector<uint8_t> sysex;  // the message between F0 and the closing F7
};

struct MidiSong {
    std::vector<MidiEvent> events;  // ordered by time; at equal times in file order
    double lengthMs = 0;            // the time of the last event of any track, end-of-track included
};

// Parses bytes; false with *why set when they are not a standard MIDI file this reader can play.
bool ParseMidi(const uint8_t* data, size_t size, MidiSong* song, std::string* why);

}  // namespace zanto::playback
