#pragma once
// Standard MIDI files written by the tests: tracks of timed events in the file's own encoding.
#include <cstdint>
#include <string>
#include <vector>

#include "common/testing/MpegFixtures.h"

namespace zanto::testkit {

// One track's bytes: append events with Event(delta, bytes...), then End().
class MidiTrack {
public:
    MidiTrack& Event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
        VarLen(delta);
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    MidiTrack& Tempo(uint32_t delta, uint32_t microsPerQuarter) {
        return Event(delta, {0xFF, 0x51, 0x03, uint8_t(microsPerQuarter >> 16),
                             uint8_t(microsPerQuarter >> 8), uint8_t(microsPerQuarter)});
    }
    MidiTrack& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
    // The raw bytes after the track header, for malformed tracks.
    MidiTrack& Raw(std::initializer_list<uint8_t> bytes) {
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const Bytes& Body() const { return body_; }

private:
    void VarLen(uint32_t v) {
        uint8_t tmp[5];
        int n = 0;
        tmp[n++] = uint8_t(v & 0x7F);
        while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
        while (n) body_.push_back(tmp[--n]);
    }
    Bytes body_;
};

inline Bytes MidiFile(uint16_t format, uint16_t division, const std::vector<MidiTrack>& tracks) {
    Bytes b;
    Append(b, "MThd");
    AppendBE32(b, 6);
    b.push_back(uint8_t(format >> 8));
    b.push_back(uint8_t(format));
    b.push_back(uint8_t(tracks.size() >> 8));
    b.push_back(uint8_t(tracks.size()));
    b.push_back(uint8_t(division >> 8));
    b.push_back(uint8_t(division));
    for (const MidiTrack& t : tracks) {
        Append(b, "MTrk");
        AppendBE32(b, uint32_t(t.Body().size()));
        Append(b, t.Body());
    }
    return b;
}

// A short tune: piano, four quarter notes at 120 beats/min (division 480), two seconds long.
inline Bytes MidiTune() {
    MidiTrack t;
    t.Event(0, {0xC0, 0x00});
    const uint8_t notes[] = {60, 64, 67, 72};
    for (uint8_t n : notes) t.Event(0, {0x90, n, 100}).Event(480, {0x80, n, 0});
    t.End();
    return MidiFile(0, 480, {t});
}

}  // namespace zanto::testkit
