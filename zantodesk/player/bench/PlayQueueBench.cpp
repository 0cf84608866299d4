// Filling the queue one path at a time, as the command line, Open and the playlist editor do.
// The cost per entry must stay flat from 1 000 to 65 536 entries in the ordered modes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/Clock.h"
#include "zantodesk/player/PlayQueue.h"

using namespace zanto;
using namespace zanto::player;

namespace {

std::vector<std::string> MakePaths(int n) {
    std::vector<std::string> paths;
    paths.reserve(size_t(n));
    for (int i = 0; i < n; ++i) paths.push_back("/home/user/Music/Album " + std::to_string(i / 12) +
                                                "/Track " + std::to_string(i) + ".mp3");
    return paths;
}

void AddOneByOne(benchmark::State& state, PlayMode mode) {
    const auto paths = MakePaths(int(state.range(0)));
    FakeClock clock;
    for (auto _ : state) {
        PlayQueue q(clock);
        q.SetMode(mode);
        for (const auto& p : paths) q.Add(p);
        benchmark::DoNotOptimize(q.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["per_entry_ns"] = benchmark::Counter(
        double(state.iterations() * state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AddNormal(benchmark::State& s) { AddOneByOne(s, kPlayNormal); }
void BM_AddRepeatAll(benchmark::State& s) { AddOneByOne(s, kPlayRepeatAll); }
void BM_AddRandom(benchmark::State& s) { AddOneByOne(s, kPlayRandom); }

// Inserting at the top of the list in Normal mode (the editor's drop on the first row).
void BM_InsertAtTopNormal(benchmark::State& state) {
    const auto paths = MakePaths(int(state.range(0)));
    FakeClock clock;
    for (auto _ : state) {
        PlayQueue q(clock);
        for (const auto& p : paths) q.Insert(0, p);
        benchmark::DoNotOptimize(q.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

static void Sizes(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 4096, 16384, 65536}) b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_AddNormal)->Apply(Sizes);
BENCHMARK(BM_AddRepeatAll)->Apply(Sizes);
BENCHMARK(BM_AddRandom)->Apply(Sizes);
BENCHMARK(BM_InsertAtTopNormal)->Apply(Sizes);
