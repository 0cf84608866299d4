// Speed of the transfer engine against the virtual player:
// - a download batch of ten 4-MB MP3 files to the unthrottled player (payload MB/s);
// - overlap: with the player throttled to a parallel port's speed and a slow source, the batch
//   should take about the slower of reading and writing, not their sum.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "common/Clock.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"
#include "memview/link/Additions.h"
#include "memview/link/TransferBatches.h"
#include "memview/link/VirtualPlayer.h"
#include "memview/link/VirtualPortDriver.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

struct QuietUi : TransferUi {
    void ShowFile(const std::string&, const std::string&) override {}
    bool Ask(const std::string&) override { return false; }
    void ShowError(const std::string&) override {}
};

Bytes Mp3(size_t size, uint8_t seed) {
    Bytes b = MpegFrames(kMp3Header, int(size / mpeg::FrameLength(kMp3Header)) + 1);
    b.resize(size);
    for (size_t i = 0; i < size; ++i)
        if (i % mpeg::FrameLength(kMp3Header) >= 4) b[i] = uint8_t(i * 7 + seed);
    return b;
}

// A player, a device on it and an initialized memory. The device's clock is fake, so the link's
// fixed pauses cost nothing; the player paces itself on the real clock when throttled.
struct Rig {
    TempDir dir;
    FakeClock fake;
    std::shared_ptr<VirtualPlayer> player;
    std::unique_ptr<VirtualPortDriver> driver;
    std::unique_ptr<MemoryDevice> device;
    explicit Rig(uint64_t speedLimit) {
        std::string error;
        VirtualPlayer::Create(dir.Path(), VirtualPlayer::DefaultInternalCodes(), std::nullopt,
                              &error);
        player = std::make_shared<VirtualPlayer>(dir.Path(), Clock::System());
        driver = std::make_unique<VirtualPortDriver>(player);
        device = std::make_unique<MemoryDevice>(*driver, fake);
        device->SetPort(kVirtualPortBase);
        device->InitializeQuick();
        player->SetSpeedLimit(speedLimit);
    }
};

// Adds the files and runs the download batch; returns the seconds it took.
double Download(Rig& rig, const std::vector<std::string>& paths, TransferEngine& engine) {
    rig.device->Refresh();
    SourceList sources;
    QuietUi ui;
    Additions add(*rig.device, sources, ui);
    for (const auto& p : paths) add.localPaths.push_back(p);
    add.Process();
    DownloadBatch batch(*rig.device, engine, sources.Texts(), ui);
    auto start = std::chrono::steady_clock::now();
    DeviceError error = batch.Run();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return error == DeviceError::None ? seconds : -1;
}

void BM_PutTenFourMegabyteFiles(benchmark::State& state) {
    Rig rig(0);
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        paths.push_back(rig.dir / ("song" + std::to_string(i) + ".mp3"));
        WriteFile(paths.back(), Mp3(4 * 1024 * 1024, uint8_t(i)));
    }
    TransferEngine engine(*rig.device);
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rig.device->InitializeQuick();
        state.ResumeTiming();
        double s = Download(rig, paths, engine);
        if (s < 0) state.SkipWithError("the batch failed");
        total += s;
        state.SetIterationTime(s);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 10 * 4 * 1024 * 1024);
    state.counters["payload_MBps"] = double(state.iterations()) * 40 / total;
}
BENCHMARK(BM_PutTenFourMegabyteFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// A source that delivers bytesPerSecond, as a slow disk or network share would.
struct SlowReader : SourceReader {
    Bytes data;
    size_t at = 0;
    double bytesPerSecond;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    SlowReader(Bytes d, double rate) : data(std::move(d)), bytesPerSecond(rate) {}
    int64_t Size() override { return int64_t(data.size()); }
    long Read(uint8_t* buffer, size_t size) override {
        size_t n = std::min(size, data.size() - at);
        std::memcpy(buffer, data.data() + at, n);
        at += n;
        auto due = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                               std::chrono::duration<double>(double(at) / bytesPerSecond));
        std::this_thread::sleep_until(due);
        return long(n);
    }
};

// Arguments: player and reader speeds in KB/s. Reports the batch time against the slower side
// alone (overlap_ratio near 1 means reading is hidden behind writing; 2 would be no overlap).
void BM_OverlapOfReadingAndWriting(benchmark::State& state) {
    const uint64_t playerRate = uint64_t(state.range(0)) * 1024;
    const double readerRate = double(state.range(1)) * 1024;
    const size_t size = 1024 * 1024;
    Rig rig(0);
    const Bytes bytes = Mp3(size, 3);
    std::string path = rig.dir / "slow.mp3";
    WriteFile(path, bytes);
    TransferEngine engine(*rig.device);
    engine.SetSourceOpener([&](const std::string&) { return std::make_unique<SlowReader>(bytes, readerRate); });

    // The write alone, from a fast source: the player side's time.
    double writeOnly = 0;
    {
        TransferEngine fast(*rig.device);
        rig.player->SetSpeedLimit(playerRate);
        writeOnly = Download(rig, {path}, fast);
        rig.device->InitializeQuick();
    }
    const double readOnly = double(size) / readerRate;
    const double chunkTime = 32768.0 / std::min(double(playerRate), readerRate);
    double last = 0;
    for (auto _ : state) {
        last = Download(rig, {path}, engine);
        if (last < 0) state.SkipWithError("the batch failed");
        state.SetIterationTime(last);
        state.PauseTiming();
        rig.player->SetSpeedLimit(0);
        rig.device->InitializeQuick();
        rig.player->SetSpeedLimit(playerRate);
        state.ResumeTiming();
    }
    const double slower = std::max(writeOnly, readOnly);
    state.counters["write_only_s"] = writeOnly;
    state.counters["read_only_s"] = readOnly;
    state.counters["batch_s"] = last;
    state.counters["bound_s"] = slower + chunkTime;
    state.counters["overlap_ratio"] = last / slower;
}
BENCHMARK(BM_OverlapOfReadingAndWriting)
    ->Args({400, 300})   // reading is the slower side
    ->Args({300, 400})   // writing is the slower side
    ->Args({350, 350})   // equal
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
