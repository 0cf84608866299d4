#include "common/playback/MidiDecoder.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "common/playback/DeviceError.h"

namespace zanto::playback {

namespace {

// Once used, the synthesizer library stays loaded for the life of the process: its sound-font
// loader registers types with the object system of a library that outlives it, and a second
// load would wait forever on the registration of the first. A plug-in unloaded by its host must
// not take it along. The library reports every note it cannot place and each font preset it
// skips; only errors matter to a user of a player.
void PrepareLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* lib : {"libfluidsynth.so.3", "libinstpatch-1.0.so.2"})
            dlopen(lib, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

constexpr size_t kMaxMidiFile = 64u << 20;

}  // namespace

std::string FindSoundFont() {
    if (const char* e = std::getenv("ZANTO_SOUNDFONT"); e && *e) return e;
    for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                          "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2"}) {
        if (IsFile(p)) return p;
    }
    return {};
}

std::unique_ptr<Synthesizer> Synthesizer::Create(int rate, std::string* why) {
    PrepareLibrary();
    std::string font = FindSoundFont();
    if (!IsFile(font)) {
        if (why) *why = font.empty() ? "no sound font found" : "sound font not found: " + font;
        return nullptr;
    }
    std::unique_ptr<Synthesizer> s(new Synthesizer);
    s->settings_ = new_fluid_settings();
    if (!s->settings_) {
        if (why) *why = "cannot create synthesizer settings";
        return nullptr;
    }
    fluid_settings_setnum(s->settings_, "synth.sample-rate", rate);
    // One thread drives the synthesizer at a time (the device serialises its calls).
    fluid_settings_setint(s->settings_, "synth.threadsafe-api", 0);
    fluid_settings_setint(s->settings_, "synth.cpu-cores", 1);
    s->synth_ = new_fluid_synth(s->settings_);
    if (!s->synth_) {
        if (why) *why = "cannot create the synthesizer";
        return nullptr;
    }
    if (fluid_synth_sfload(s->synth_, font.c_str(), 1) == FLUID_FAILED) {
        if (why) *why = "cannot load sound font " + font;
        return nullptr;
    }
    return s;
}

Synthesizer::~Synthesizer() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

std::unique_ptr<PcmDecoder> MidiDecoder::Open(const std::string& path, int32_t* error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = kDeviceFileNotFound;
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    bool tooLarge = false;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > kMaxMidiFile) {
            tooLarge = true;
            break;
        }
    }
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) {
        *error = kDeviceCannotRead;
        return nullptr;
    }
    std::unique_ptr<MidiDecoder> d(new MidiDecoder);
    if (tooLarge || !ParseMidi(bytes.data(), bytes.size(), &d->song_, nullptr)) {
        *error = kDeviceInvalidFile;
        return nullptr;
    }
    d->synth_ = Synthesizer::Create(kRate, nullptr);
    if (!d->synth_) {
        *error = kDeviceSynthUnavailable;
        return nullptr;
    }
    d->totalFrames_ = d->FrameOf(d->song_.lengthMs);
    *error = kDeviceOk;
    return d;
}

uint64_t MidiDecoder::FrameOf(double ms) const {
    return static_cast<uint64_t>(std::llround(ms * kRate / 1000.0));
}

uint32_t MidiDecoder::LengthMs() const {
    return static_cast<uint32_t>(totalFrames_ * 1000 / kRate);
}

void MidiDecoder::Send(const MidiEvent& e) {
    fluid_synth_t* s = synth_->Get();
    int ch = e.status & 0x0F;
    switch (e.status & 0xF0) {
        case 0x80: fluid_synth_noteoff(s, ch, e.data1); break;
        case 0x90:
            if (e.data2 == 0)
                fluid_synth_noteoff(s, ch, e.data1);
            else
                fluid_synth_noteon(s, ch, e.data1, e.data2);
            break;
        case 0xA0: fluid_synth_key_pressure(s, ch, e.data1, e.data2); break;
        case 0xB0: fluid_synth_cc(s, ch, e.data1, e.data2); break;
        case 0xC0: fluid_synth_program_change(s, ch, e.data1); break;
        case 0xD0: fluid_synth_channel_pressure(s, ch, e.data1); break;
        case 0xE0: fluid_synth_pitch_bend(s, ch, e.data1 | (e.data2 << 7)); break;
        case 0xF0:
            if (!e.sysex.empty())
                fluid_synth_sysex(s, reinterpret_cast<const char*>(e.sysex.data()),
                                  static_cast<int>(e.sysex.size()), nullptr, nullptr, nullptr,
                                  0);
            break;
    }
}

size_t MidiDecoder::Read(int16_t* out, size_t frames) {
    size_t done = 0;
    while (done < frames && frame_ < totalFrames_) {
        while (next_ < song_.events.size() && FrameOf(song_.events[next_].ms) <= frame_)
            Send(song_.events[next_++]);
        uint64_t until = totalFrames_;
        if (next_ < song_.events.size()) until = std::min(until, FrameOf(song_.events[next_].ms));
        size_t n = static_cast<size_t>(std::min<uint64_t>(frames - done, until - frame_));
        int16_t* at = out + 2 * done;
        fluid_synth_write_s16(synth_->Get(), static_cast<int>(n), at, 0, 2, at, 1, 2);
        done += n;
        frame_ += n;
    }
    return done;
}

bool MidiDecoder::Seek(uint32_t ms) {
    fluid_synth_t* s = synth_->Get();
    fluid_synth_all_sounds_off(s, -1);
    fluid_synth_system_reset(s);
    uint64_t target = std::min<uint64_t>(FrameOf(ms), totalFrames_);
    // Chase: every setting made before the target (programs, controllers, bends) takes effect;
    // notes before it stay silent.
    next_ = 0;
    while (next_ < song_.events.size() && FrameOf(song_.events[next_].ms) < target) {
        const MidiEvent& e = song_.events[next_++];
        uint8_t kind = e.status & 0xF0;
        if (kind != 0x80 && kind != 0x90 && kind != 0xA0) Send(e);
    }
    frame_ = target;
    return true;
}

}  // namespace zanto::playback
