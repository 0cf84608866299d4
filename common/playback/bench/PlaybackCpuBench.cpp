// CPU used while playing a minute of each format through its plug-in, the sound going to the
// audio library's disk driver without pacing (so the minute plays as fast as the plug-in feeds it).
// Reported: seconds of user+system CPU per minute of audio, and that as a share of one core when
// played in real time. Fixtures are generated here.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/MidiFixtures.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/RealMediaFixture.h"
#include "common/testing/TempDir.h"

using namespace zanto::testkit;

namespace {

constexpr double kSeconds = 60.0;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto s = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

Bytes WaveMinute() {
    Bytes data;
    const size_t frames = size_t(44100 * kSeconds);
    data.reserve(frames * 4);
    for (size_t i = 0; i < frames; ++i) {
        auto v = uint16_t(int16_t(std::sin(2 * M_PI * 440.0 * double(i) / 44100.0) * 12000));
        AppendLE16(data, v);
        AppendLE16(data, v);
    }
    return WaveFile(1, 2, 44100, 16, data);
}

// A minute of a small band: melody, held chords and drums, 120 beats a minute.
Bytes MidiMinute() {
    MidiTrack t;
    t.Event(0, {0xC0, 0}).Event(0, {0xC1, 48});
    const uint8_t scale[] = {60, 62, 64, 65, 67, 69, 71, 72};
    const int beats = int(kSeconds * 2);
    for (int b = 0; b < beats; ++b) {
        uint8_t n = scale[b % 8];
        if (b % 4 == 0) t.Event(0, {0x91, uint8_t(n - 12), 70}).Event(0, {0x91, uint8_t(n - 5), 70});
        t.Event(0, {0x90, n, 100}).Event(0, {0x99, uint8_t(b % 2 ? 38 : 36), 110});
        t.Event(240, {0x80, n, 0}).Event(0, {0x89, uint8_t(b % 2 ? 38 : 36), 0});
        t.Event(0, {0x90, uint8_t(n + 4), 90}).Event(0, {0x99, 42, 80});
        t.Event(240, {0x80, uint8_t(n + 4), 0}).Event(0, {0x89, 42, 0});
        if (b % 4 == 3) t.Event(0, {0x81, uint8_t(scale[(b - 3) % 8] - 12), 0}).Event(0, {0x81, uint8_t(scale[(b - 3) % 8] - 5), 0});
    }
    t.End();
    return MidiFile(0, 480, {t});
}

void PlayMinute(benchmark::State& state, const char* plugin, const std::string& path) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    HmaLibrary lib(plugin);
    if (!lib.Complete()) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    double cpu = 0, wall = 0;
    int32_t duration = 0;
    for (auto _ : state) {
        CMediaFileStream stream;
        if (!stream.Open(path.c_str()) || lib.canBeOpen(&stream) != HMA_OPEN_YES) {
            state.SkipWithError("file not taken");
            return;
        }
        HMA_HANDLE h = lib.open(&stream);
        if (!h) {
            state.SkipWithError("file not opened");
            return;
        }
        duration = lib.getDuration(h);
        const double cpu0 = CpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        lib.play(h);
        // The host polls a few times a second; so does this loop, at a finer step.
        while (lib.getState(h) == HMA_STATE_PLAYING)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cpu += CpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        lib.clear(h);
    }
    const double perMinute = cpu / double(state.iterations()) / (duration / 60000.0);
    state.counters["cpu_s_per_audio_min"] = perMinute;
    state.counters["core_pct_at_real_time"] = perMinute / 60.0 * 100.0;
    state.counters["wall_s"] = wall / double(state.iterations());
    state.counters["audio_s"] = duration / 1000.0;
}

void BM_PlayWave(benchmark::State& state) {
    TempDir dir;
    std::string path = dir / "minute.wav";
    WriteFile(path, WaveMinute());
    PlayMinute(state, PCMWAVE_PLUGIN, path);
}

void BM_PlayMidi(benchmark::State& state) {
    TempDir dir;
    std::string path = dir / "minute.mid";
    WriteFile(path, MidiMinute());
    PlayMinute(state, MIDISEQ_PLUGIN, path);
}

void BM_PlayRealMedia(benchmark::State& state) {
    TempDir dir;
    std::string path = dir / "minute.rmf";
    if (!WriteRealMedia(path, kSeconds)) {
        state.SkipWithError("no encoder");
        return;
    }
    PlayMinute(state, RASTREAM_PLUGIN, path);
}

}  // namespace

BENCHMARK(BM_PlayWave)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlayMidi)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlayRealMedia)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
