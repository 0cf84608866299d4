#include "common/playback/MidiFile.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace zanto::playback {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 beats/min)
constexpr uint16_t kMaxTracks = 1024;

struct RawEvent {
    uint64_t tick;
    uint32_t order;  // file order, to keep equal ticks stable
    MidiEvent event;
};

struct Reader {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;
    uint8_t Byte() {
        if (p >= end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
    // Variable-length quantity of at most four bytes.
    uint32_t VarLen() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = Byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        ok = false;
        return 0;
    }
};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

int DataBytes(uint8_t status) {
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0: return 1;
        default: return 2;
    }
}

// Reads one track's events; tempo changes go to the map, absolute ticks start at startTick.
bool ReadTrack(const uint8_t* data, size_t size, uint64_t startTick, uint32_t& order,
               std::vector<RawEvent>& out, std::map<uint64_t, uint32_t>& tempos,
               uint64_t& lastTick, std::string* why) {
    Reader r{data, data + size};
    uint64_t tick = startTick;
    uint8_t running = 0;
    while (r.p < r.end) {
        tick += r.VarLen();
        uint8_t b = r.Byte();
        if (!r.ok) break;
        if (b == 0xFF) {
            uint8_t type = r.Byte();
            uint32_t len = r.VarLen();
            if (!r.ok || len > size_t(r.end - r.p)) break;
            if (type == 0x51 && len == 3) {
                uint32_t t = uint32_t(r.p[0]) << 16 | r.p[1] << 8 | r.p[2];
                if (t > 0) tempos[tick] = t;
            }
            r.p += len;
            lastTick = std::max(lastTick, tick);
            if (type == 0x2F) return true;
            continue;
        }
        if (b == 0xF0 || b == 0xF7) {
            uint32_t len = r.VarLen();
            if (!r.ok || len > size_t(r.end - r.p)) break;
            if (b == 0xF0) {
                RawEvent e{tick, order++, {}};
                e.event.status = 0xF0;
                // The synthesizer takes the message without its closing F7.
                uint32_t body = (len > 0 && r.p[len - 1] == 0xF7) ? len - 1 : len;
                e.event.sysex.assign(r.p, r.p + body);
                out.push_back(std::move(e));
            }
            r.p += len;
            running = 0;
            lastTick = std::max(lastTick, tick);
            continue;
        }
        uint8_t status = b;
        uint8_t first;
        if (b & 0x80) {
            if (b >= 0xF0) {
                if (why) *why = "unexpected system message in a track";
                return false;
            }
            running = b;
            first = r.Byte();
        } else {
            if (!running) {
                if (why) *why = "data byte without a status";
                return false;
            }
            status = running;
            first = b;
        }
        uint8_t second = DataBytes(status) == 2 ? r.Byte() : 0;
        if (!r.ok) break;
        RawEvent e{tick, order++, {}};
        e.event.status = status;
        e.event.data1 = first & 0x7F;
        e.event.data2 = second & 0x7F;
        out.push_back(std::move(e));
        lastTick = std::max(lastTick, tick);
    }
    // A track cut short (no end-of-track event) plays what it holds.
    return true;
}

}  // namespace

bool ParseMidi(const uint8_t* data, size_t size, MidiSong* song, std::string* why) {
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0) {
        if (why) *why = "no MIDI header";
        return false;
    }
    uint32_t headerLength = Be32(data + 4);
    if (headerLength < 6 || headerLength > size - 8) {
        if (why) *why = "bad MIDI header length";
        return false;
    }
    uint16_t format = Be16(data + 8);
    uint16_t tracks = Be16(data + 10);
    uint16_t division = Be16(data + 12);
    if (format > 2 || tracks == 0 || tracks > kMaxTracks || division == 0) {
        if (why) *why = "unsupported MIDI header";
        return false;
    }

    std::vector<RawEvent> raw;
    std::map<uint64_t, uint32_t> tempos;
    uint32_t order = 0;
    uint64_t lastTick = 0;
    size_t pos = 8 + size_t(headerLength);
    int found = 0;
    while (found < tracks && size - pos >= 8) {
        uint32_t length = Be32(data + pos + 4);
        bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
        pos += 8;
        size_t available = std::min<size_t>(length, size - pos);
        if (isTrack) {
            // Format 2 tracks are separate songs played in turn.
            uint64_t start = format == 2 ? lastTick : 0;
            if (!ReadTrack(data + pos, available, start, order, raw, tempos, lastTick, why))
                return false;
            ++found;
        }
        pos += available;
    }
    if (found == 0) {
        if (why) *why = "no MIDI track";
        return false;
    }

    std::stable_sort(raw.begin(), raw.end(), [](const RawEvent& a, const RawEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });

    // Ticks to milliseconds.
    auto toMs = [&](uint64_t tick) -> double {
        if (division & 0x8000) {
            int fps = -static_cast<int8_t>(division >> 8);
            int perFrame = division & 0xFF;
            if (fps <= 0 || perFrame == 0) return 0;
            return double(tick) * 1000.0 / (fps == 29 ? 29.97 : fps) / perFrame;
        }
        double ms = 0;
        uint64_t at = 0;
        uint32_t tempo = kDefaultTempo;
        for (const auto& [t, value] : tempos) {
            if (t >= tick) break;
            ms += double(t - at) * tempo / 1000.0 / division;
            at = t;
            tempo = value;
        }
        return ms + double(tick - at) * tempo / 1000.0 / division;
    };
    if (division & 0x8000) {
        int fps = -static_cast<int8_t>(division >> 8);
        if (fps != 24 && fps != 25 && fps != 29 && fps != 30) {
            if (why) *why = "unsupported SMPTE time division";
            return false;
        }
    }

    song->events.clear();
    song->events.reserve(raw.size());
    // One walk over the tempo map for all events, which are in tick order.
    double ms = 0;
    uint64_t at = 0;
    uint32_t tempo = kDefaultTempo;
    auto next = tempos.begin();
    for (auto& e : raw) {
        if (division & 0x8000) {
            e.event.ms = toMs(e.tick);
        } else {
            while (next != tempos.end() && next->first <= e.tick) {
                ms += double(next->first - at) * tempo / 1000.0 / division;
                at = next->first;
                tempo = next->second;
                ++next;
            }
            e.event.ms = ms + double(e.tick - at) * tempo / 1000.0 / division;
        }
        song->events.push_back(std::move(e.event));
    }
    song->lengthMs = toMs(lastTick);
    return true;
}

}  // namespace zanto::playback
