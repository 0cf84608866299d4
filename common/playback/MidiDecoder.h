#pragma once
// The sequencer's decoder: a standard MIDI file played on a FluidSynth synthesizer with a General
// MIDI sound font. Our own sequencing feeds the synthesizer sample-exactly from the parsed song,
// so rendering, seeking and the length agree with each other.
#include <memory>
#include <string>

#include "common/playback/MidiFile.h"
#include "common/playback/PcmDecoder.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace zanto::playback {

// The sound font to use: $ZANTO_SOUNDFONT when set, else the first General MIDI font found among
// the system's usual places; empty when there is none.
std::string FindSoundFont();

// A synthesizer with its sound font loaded.
class Synthesizer {
public:
    // Null with *why set when it cannot be created or the font cannot be loaded.
    static std::unique_ptr<Synthesizer> Create(int rate, std::string* why);
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;
    fluid_synth_t* Get() const { return synth_; }

private:
    Synthesizer() = default;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

class MidiDecoder final : public PcmDecoder {
public:
    static constexpr int kRate = 44100;

    // Null with *error (a DeviceError) when the file cannot be read, is not a MIDI file, or the
    // synthesizer cannot be made.
    static std::unique_ptr<PcmDecoder> Open(const std::string& path, int32_t* error);

    SourceFormat Format() const override { return {}; }
    int OutputRate() const override { return kRate; }
    int OutputChannels() const override { return 2; }
    uint32_t LengthMs() const override;
    size_t Read(int16_t* out, size_t frames) override;
    bool Seek(uint32_t ms) override;

private:
    MidiDecoder() = default;
    uint64_t FrameOf(double ms) const;
    void Send(const MidiEvent& e);

    std::unique_ptr<Synthesizer> synth_;
    MidiSong song_;
    uint64_t totalFrames_ = 0;
    uint64_t frame_ = 0;  // the next frame to render
    size_t next_ = 0;     // the next event to send
};

}  // namespace zanto::playback
