#pragma once
// Sound written to a file by the audio library's disk driver, for tests that check what a plug-in
// played. The driver is chosen while the object lives; the dummy driver comes back afterwards.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zanto::testkit {

struct DiskAudio {
    std::string file;
    // The driver waits delayMs per period of 8192 frames (186 ms at 44.1 kHz): 100 ms plays about
    // twice as fast as real time, so a test that pauses "after the first 200 ms" still has most of
    // a second to do so on a loaded machine.
    explicit DiskAudio(const std::string& path, const char* delayMs = "100") : file(path) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    }
    ~DiskAudio() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
    DiskAudio(const DiskAudio&) = delete;
    DiskAudio& operator=(const DiskAudio&) = delete;

    // The 16-bit samples written so far. The driver goes on writing silence while a device is
    // open, so only what the file holds now is read, in one go.
    std::vector<int16_t> Samples() const {
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        std::vector<int16_t> samples(ec ? 0 : size / sizeof(int16_t));
        std::ifstream in(file, std::ios::binary);
        in.read(reinterpret_cast<char*>(samples.data()),
                static_cast<std::streamsize>(samples.size() * sizeof(int16_t)));
        samples.resize(static_cast<size_t>(in.gcount()) / sizeof(int16_t));
        return samples;
    }
    // Samples whose magnitude is above threshold.
    size_t Loud(int threshold = 64) const {
        size_t n = 0;
        for (int16_t s : Samples()) n += std::abs(int(s)) > threshold;
        return n;
    }
};

}  // namespace zanto::testkit
