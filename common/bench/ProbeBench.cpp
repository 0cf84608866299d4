// Probing 1000 MP3 files of 1 MB each from the page cache, against simply reading the bytes the
// probe examines (open, one read of that range, close).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/MediaProbe.h"
#include "common/testing/MpegFixtures.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

constexpr int kFiles = 1000;
constexpr size_t kFileSize = 1 << 20;

// Remembers the furthest byte a probe asked for.
class ExtentSource final : public ByteSource {
public:
    explicit ExtentSource(ByteSource& inner) : inner_(inner) {}
    long ReadAt(uint64_t offset, void* buffer, size_t n) override {
        extent_ = std::max<uint64_t>(extent_, offset + n);
        return inner_.ReadAt(offset, buffer, n);
    }
    uint64_t Size() override { return inner_.Size(); }
    uint64_t extent_ = 0;

private:
    ByteSource& inner_;
};

struct Corpus {
    std::string dir;
    std::vector<std::string> files;
    std::vector<size_t> examined;  // bytes the probe looks at, per file
    Corpus() {
        dir = std::filesystem::temp_directory_path().string() + "/zanto-probe-bench";
        std::filesystem::create_directories(dir);
        for (int i = 0; i < kFiles; ++i) {
            // Tags of different sizes so the frame start moves around.
            Bytes b = Id3Tag(static_cast<uint32_t>(100 + (i * 37) % 3000));
            while (b.size() < kFileSize) Append(b, MpegFrames(kMp3Header, 64));
            b.resize(kFileSize);
            std::string path = dir + "/f" + std::to_string(i) + ".mp3";
            if (!std::filesystem::exists(path) || std::filesystem::file_size(path) != kFileSize)
                WriteFile(path, b);
            files.push_back(path);
            MemorySource mem(b.data(), b.size());
            ExtentSource extent(mem);
            ProbeMpegFrame(extent);
            examined.push_back(extent.extent_);
        }
    }
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

void BM_ProbeFiles(benchmark::State& state) {
    auto& c = TheCorpus();
    for (auto _ : state) {
        uint32_t all = 0;
        for (const auto& f : c.files) all ^= ProbeMpegFile(f);
        benchmark::DoNotOptimize(all);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_ReadExaminedBytes(benchmark::State& state) {
    auto& c = TheCorpus();
    std::vector<char> buffer(64 << 10);
    for (auto _ : state) {
        long total = 0;
        for (size_t i = 0; i < c.files.size(); ++i) {
            int fd = open(c.files[i].c_str(), O_RDONLY | O_CLOEXEC);
            total += pread(fd, buffer.data(), std::min(buffer.size(), c.examined[i]), 0);
            close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

}  // namespace

BENCHMARK(BM_ProbeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadExaminedBytes)->Unit(benchmark::kMillisecond);
