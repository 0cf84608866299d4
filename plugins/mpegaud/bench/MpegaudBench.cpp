// Decoding speed of the MPEG audio plug-in against the mpg123 program's test mode (decoding
// without output) on the same file in the same run, and the cost of the query exports.
// The plug-in plays to the audio library's disk driver writing to /dev/null without pacing.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/Clock.h"
#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/Mp3Fixture.h"
#include "plugins/contract/HmaPlugin.h"

namespace {

constexpr double kSeconds = 120.0;

const std::string& Mp3File() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("zanto-bench-" + std::to_string(getpid()) + ".mp3"))
                            .string();
        zanto::testkit::ToneMp3 tone;
        tone.seconds = kSeconds;
        if (!zanto::testkit::WriteSineMp3(p, tone)) std::abort();
        // Removed at exit through a plain buffer: the string itself is gone by then.
        static char removeAtExit[4096];
        std::snprintf(removeAtExit, sizeof removeAtExit, "%s", p.c_str());
        std::atexit([] { std::remove(removeAtExit); });
        return p;
    }();
    return path;
}

using Plugin = zanto::testkit::HmaLibrary;

// The plug-in, loaded once and kept loaded until the program ends.
Plugin& ThePlugin() {
    static Plugin* p = [] {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        auto* lib = new Plugin(MPEGAUD_PLUGIN);
        if (!lib->Complete()) std::abort();
        return lib;
    }();
    return *p;
}

// Measured by the mpg123 run, compared against by the plug-in run: means, and the fastest
// iteration (what each does when the shared machine lets it run).
double toolSeconds = 0;
double toolBestSeconds = 0;
double toolCpuSeconds = 0;

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_Mpg123TestMode(benchmark::State& state) {
    const std::string command = "mpg123 -q -t '" + Mp3File() + "' >/dev/null 2>&1";
    if (std::system("command -v mpg123 >/dev/null 2>&1") != 0) {
        state.SkipWithError("the mpg123 program is not installed");
        return;
    }
    double total = 0, best = 1e9;
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("mpg123 failed");
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += elapsed;
        best = std::min(best, elapsed);
    }
    toolBestSeconds = best;
    toolSeconds = total / double(state.iterations());
    toolCpuSeconds = (CpuSeconds(RUSAGE_CHILDREN) - cpuBefore) / double(state.iterations());
    state.counters["audio_s_per_s"] = kSeconds / toolSeconds;
    state.counters["cpu_ms"] = toolCpuSeconds * 1000;
}

void BM_DecodeThroughPlugin(benchmark::State& state) {
    Plugin& p = ThePlugin();
    zanto::Clock& clock = zanto::Clock::System();
    double total = 0, cpu = 0, best = 1e9;
    for (auto _ : state) {
        CMediaFileStream stream;
        const double cpuBefore = CpuSeconds(RUSAGE_SELF);
        stream.Open(Mp3File().c_str());
        auto start = std::chrono::steady_clock::now();
        HMA_HANDLE h = p.open(&stream);
        p.play(h);
        // Ends at the state notification for the end of input.
        while (!(p.getDuration(h) > 0 && p.getState(h) == HMA_STATE_STOPPED &&
                 p.getPos(h) >= p.getDuration(h)))
            clock.Sleep(std::chrono::milliseconds(1));
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += elapsed;
        best = std::min(best, elapsed);
        cpu += CpuSeconds(RUSAGE_SELF) - cpuBefore;  // all threads: decoder, output, this poller
        // Closing the output afterwards is not decoding: it waits for the device's last periods.
        state.SetIterationTime(elapsed);
        p.clear(h);
    }
    double seconds = total / double(state.iterations());
    state.counters["audio_s_per_s"] = kSeconds / seconds;
    double cpuSeconds = cpu / double(state.iterations());
    state.counters["cpu_ms"] = cpuSeconds * 1000;
    // Wall time: what the listener waits. CPU time: the decoding work itself, which a loaded
    // machine does not distort.
    if (toolSeconds > 0) state.counters["speed_vs_mpg123"] = toolSeconds / seconds;
    if (toolBestSeconds > 0) state.counters["best_speed_vs_mpg123"] = toolBestSeconds / best;
    if (toolCpuSeconds > 0) state.counters["cpu_speed_vs_mpg123"] = toolCpuSeconds / cpuSeconds;
}

void BM_QueryExport(benchmark::State& state) {
    Plugin& p = ThePlugin();
    CMediaFileStream stream;
    stream.Open(Mp3File().c_str());
    HMA_HANDLE h = p.open(&stream);
    const bool playing = state.range(1) != 0;
    if (playing) p.play(h);
    hma::QueryFn query = state.range(0) == 0 ? p.getPos : p.getState;
    for (auto _ : state) benchmark::DoNotOptimize(query(h));
    p.clear(h);
}

}  // namespace

BENCHMARK(BM_Mpg123TestMode)->Unit(benchmark::kMillisecond)->Iterations(9)->UseRealTime();
BENCHMARK(BM_DecodeThroughPlugin)->Unit(benchmark::kMillisecond)->Iterations(9)->UseManualTime();
// Arguments: 0 = GetPos, 1 = GetState; 0 = stopped handle, 1 = playing handle.
BENCHMARK(BM_QueryExport)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1});
