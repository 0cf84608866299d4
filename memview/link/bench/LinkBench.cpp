// Block transfers through MemoryDevice, the port driver and the unthrottled virtual player:
// payload throughput of the host side and register operations per block.
#include <benchmark/benchmark.h>

#include <vector>

#include "memview/link/testing/VirtualRig.h"

namespace {

using namespace zanto;

std::vector<uint8_t> Payload() {
    std::vector<uint8_t> data(kBlockSize);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    return data;
}

void ReportTraffic(benchmark::State& state, VirtualPlayer& player, uint64_t blocks) {
    if (blocks == 0) return;
    state.counters["reg_writes_per_block"] =
        static_cast<double>(player.RegisterWrites()) / static_cast<double>(blocks);
    state.counters["reg_reads_per_block"] =
        static_cast<double>(player.RegisterReads()) / static_cast<double>(blocks);
    state.SetBytesProcessed(static_cast<int64_t>(blocks * kBlockSize));
}

void BM_WriteBlockQuickVerify(benchmark::State& state) {
    testkit::VirtualRig rig({0x75});
    if (!rig.Open()) {
        state.SkipWithError("virtual player does not answer");
        return;
    }
    auto data = Payload();
    uint64_t blocks = 0;
    rig.Player().ResetCounters();
    for (auto _ : state) {
        const uint16_t block = static_cast<uint16_t>(1 + blocks % 1000);
        if (!rig.Device().WriteBlock(block, data.data(), kNoNeighbour, kNoNeighbour)) {
            state.SkipWithError(DeviceErrorName(rig.Device().LastError()));
            break;
        }
        ++blocks;
    }
    ReportTraffic(state, rig.Player(), blocks);
    rig.Close();
}
BENCHMARK(BM_WriteBlockQuickVerify)->Unit(benchmark::kMicrosecond);

void BM_ReadBlockChecked(benchmark::State& state) {
    testkit::VirtualRig rig({0x75});
    if (!rig.Open()) {
        state.SkipWithError("virtual player does not answer");
        return;
    }
    auto data = Payload();
    for (uint16_t b = 1; b <= 16; ++b) rig.Device().WriteBlock(b, data.data(), kNoNeighbour, kNoNeighbour);
    std::vector<uint8_t> buffer(kBlockSize);
    uint64_t blocks = 0;
    rig.Player().ResetCounters();
    for (auto _ : state) {
        const uint16_t block = static_cast<uint16_t>(1 + blocks % 16);
        if (!rig.Device().ReadBlock(block, buffer.data(), true)) {
            state.SkipWithError(DeviceErrorName(rig.Device().LastError()));
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
        ++blocks;
    }
    ReportTraffic(state, rig.Player(), blocks);
    rig.Close();
}
BENCHMARK(BM_ReadBlockChecked)->Unit(benchmark::kMicrosecond);

}  // namespace
