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
    explicit DiskAudio(const std::string& path, const char* delayMs = "1") : file(path) {
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

    // The 16-bit samples written so far.
    std::vector<int16_t> Samples() const {
        std::ifstream in(file, std::ios::binary);
        std::vector<int16_t> samples;
        int16_t s;
        while (in.read(reinterpret_cast<char*>(&s), sizeof s)) samples.push_back(s);
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
