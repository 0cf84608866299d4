// The MIDI file reader: event times from the tempo map and the time division, merging of tracks,
// running status, and files it must refuse without reading out of bounds.
#include <gtest/gtest.h>

#include "common/playback/MidiFile.h"
#include "common/testing/MidiFixtures.h"

using namespace zanto::playback;
using zanto::testkit::Bytes;
using zanto::testkit::MidiFile;
using zanto::testkit::MidiTrack;

namespace {

MidiSong Parse(const Bytes& b) {
    MidiSong song;
    std::string why;
    EXPECT_TRUE(ParseMidi(b.data(), b.size(), &song, &why)) << why;
    return song;
}

std::vector<double> Times(const MidiSong& s) {
    std::vector<double> t;
    for (const auto& e : s.events) t.push_back(e.ms);
    return t;
}

TEST(MidiFile, TimesFollowTheTempoMapAndTheDivision) {
    struct Case {
        const char* name;
        Bytes file;
        std::vector<double> times;
        double length;
    };
    MidiTrack plain;
    plain.Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).End(480);
    MidiTrack slower;  // 120 beats/min, then 60 from the second beat on
    slower.Event(0, {0x90, 60, 100}).Tempo(480, 1000000).Event(0, {0x80, 60, 0}).Event(480, {0x90, 62, 90}).End(480);
    MidiTrack running;  // the second and third events reuse the status byte
    running.Event(0, {0x90, 60, 100}).Event(96, {62, 100}).Event(96, {60, 0}).End();
    MidiTrack smpte;  // 25 frames of 40 ticks: 1000 ticks a second
    smpte.Event(250, {0xB0, 7, 100}).End(750);
    MidiTrack tempoTrack, notes;  // format 1: the tempo lives in its own track
    tempoTrack.Tempo(0, 250000).End();
    notes.Event(960, {0x90, 64, 80}).End(960);

    for (const Case& c : {Case{"default tempo", MidiFile(0, 480, {plain}), {0, 500}, 1000},
                          Case{"tempo change", MidiFile(0, 480, {slower}), {0, 500, 1500}, 2500},
                          Case{"running status", MidiFile(0, 96, {running}), {0, 500, 1000}, 1000},
                          Case{"smpte", MidiFile(0, uint16_t((uint8_t(-25) << 8) | 40), {smpte}), {250}, 1000},
                          Case{"format 1", MidiFile(1, 480, {tempoTrack, notes}), {500}, 1000}}) {
        SCOPED_TRACE(c.name);
        MidiSong s = Parse(c.file);
        EXPECT_EQ(Times(s), c.times);
        EXPECT_DOUBLE_EQ(s.lengthMs, c.length);
    }
}

TEST(MidiFile, TracksAreMergedInTimeAndFileOrder) {
    MidiTrack a, b;
    a.Event(0, {0xC0, 5}).Event(480, {0x90, 60, 100}).End();
    b.Event(0, {0xC1, 7}).Event(240, {0x91, 50, 90}).Event(240, {0x81, 50, 0}).End();
    MidiSong s = Parse(MidiFile(1, 480, {a, b}));
    std::vector<uint8_t> order;
    for (const auto& e : s.events) order.push_back(e.status);
    EXPECT_EQ(order, (std::vector<uint8_t>{0xC0, 0xC1, 0x91, 0x90, 0x81}));

    // Format 2: each track follows the one before.
    MidiSong two = Parse(MidiFile(2, 480, {a, b}));
    EXPECT_EQ(Times(two), (std::vector<double>{0, 500, 500, 750, 1000}));
    EXPECT_DOUBLE_EQ(two.lengthMs, 1000);
}

TEST(MidiFile, SystemExclusiveKeepsItsBodyWithoutTheClosingByte) {
    MidiTrack t;
    t.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).End();
    MidiSong s = Parse(MidiFile(0, 480, {t}));
    ASSERT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.events[0].status, 0xF0);
    EXPECT_EQ(s.events[0].sysex, (std::vector<uint8_t>{0x7E, 0x7F, 0x09, 0x01}));
}

TEST(MidiFile, RefusesWhatIsNotAPlayableFile) {
    MidiTrack good;
    good.Event(0, {0x90, 60, 100}).End(10);
    Bytes riff = MidiFile(0, 480, {good});
    riff.insert(riff.begin(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'});
    MidiTrack noStatus;
    noStatus.Raw({0x00, 0x40, 0x40});
    MidiTrack realtime;
    realtime.Raw({0x00, 0xF8});
    Bytes shortHeader = MidiFile(0, 480, {good});
    shortHeader.resize(13);
    Bytes noTracks = MidiFile(0, 480, {});
    Bytes zeroDivision = MidiFile(0, 0, {good});
    Bytes badFps = MidiFile(0, uint16_t((uint8_t(-20) << 8) | 40), {good});
    Bytes format3 = MidiFile(3, 480, {good});
    Bytes hugeHeader = MidiFile(0, 480, {good});
    hugeHeader[4] = 0x7F;
    for (const auto& [name, bytes] : std::vector<std::pair<const char*, Bytes>>{
             {"riff", riff}, {"no status", MidiFile(0, 480, {noStatus})},
             {"realtime", MidiFile(0, 480, {realtime})}, {"short header", shortHeader},
             {"no tracks", noTracks}, {"zero division", zeroDivision}, {"fps", badFps},
             {"format 3", format3}, {"header length", hugeHeader}}) {
        SCOPED_TRACE(name);
        MidiSong s;
        std::string why;
        EXPECT_FALSE(ParseMidi(bytes.data(), bytes.size(), &s, &why));
        EXPECT_FALSE(why.empty());
    }
}

TEST(MidiFile, TruncatedTracksPlayWhatTheyHold) {
    // Lengths that run past the end of the file, an unfinished event and an endless varlen.
    MidiTrack t;
    t.Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).Event(0, {0x90});
    Bytes file = MidiFile(0, 480, {t});
    file[18] = 0x7F;  // track length far beyond the file
    MidiSong s = Parse(file);
    EXPECT_EQ(Times(s), (std::vector<double>{0, 500}));

    MidiTrack endless;
    endless.Event(0, {0x90, 60, 100}).Raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Parse(MidiFile(0, 480, {endless})).events.size(), 1u);

    MidiTrack meta;  // a meta event longer than its track
    meta.Event(0, {0x90, 60, 100}).Raw({0x00, 0xFF, 0x01, 0x7F, 'a'});
    EXPECT_EQ(Parse(MidiFile(0, 480, {meta})).events.size(), 1u);
}

}  // namespace
