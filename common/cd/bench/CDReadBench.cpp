// How much faster than real time the drive code reads and delivers a disc image's audio: a disc
// plays at 75 sectors a second, so items_per_second here must stay far above 75.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "common/cd/CDDevice.h"
#include "common/cd/CDTmsf.h"
#include "common/testing/DiscImage.h"
#include "common/testing/TempDir.h"

namespace {

// An output that hears everything at once.
class InstantSink final : public zanto::cd::CDSoundSink {
public:
    size_t Space() override { return 1u << 20; }
    size_t Write(const int16_t*, size_t frames) override {
        played_ += frames;
        return frames;
    }
    void SetEndOfInput(bool) override {}
    bool Drained() override { return true; }
    void SetPaused(bool) override {}
    uint64_t FramesPlayed() override { return played_.load(); }

private:
    std::atomic<uint64_t> played_{0};
};

void BM_PlayWholeImage(benchmark::State& state) {
    zanto::testkit::TempDir dir;
    const int32_t sectors = 75 * 60;  // one minute of audio in three tracks
    const auto image = zanto::testkit::WriteDiscImage(
        dir.Path(), {{true, sectors / 3}, {true, sectors / 3}, {true, sectors / 3}});
    CCDDevice device(zanto::Clock::System(), image.cue,
                     [](std::function<void()>, std::string*) {
                         return std::make_unique<InstantSink>();
                     },
                     dir / "MxAudio");
    if (device.Open(0) != 1) {
        state.SkipWithError("image does not open");
        return;
    }
    for (auto _ : state) {
        device.Play(zanto::cd::MakeTmsf(1, 0, 0, 0));
        while (device.GetMode() == zanto::cd::kCdModePlaying) std::this_thread::yield();
    }
    state.SetItemsProcessed(state.iterations() * sectors);
}
BENCHMARK(BM_PlayWholeImage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
