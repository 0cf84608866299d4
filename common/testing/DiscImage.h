#pragma once
// Small disc images for the CD tests: a .cue/.bin pair holding a few short tracks of generated
// audio and, where asked, data tracks. Every audio sample tells where it came from, so a test
// can check exactly which sectors were heard: the left sample of every frame of sector n is
// LeftSampleOf(n), the right sample is the frame's index within its sector.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace zanto::testkit {

struct ImageTrack {
    bool audio = true;
    int32_t sectors = 75;  // one second
};

struct DiscImage {
    std::string cue;
    std::string bin;
    std::vector<int32_t> starts;  // LSN of each track
    int32_t leadout = 0;
};

inline int16_t LeftSampleOf(int32_t lsn) { return static_cast<int16_t>(lsn * 7 + 3); }

// The samples that playing from lsn on produces for each sector in [from, to).
inline void AppendExpectedSamples(std::vector<int16_t>& out, int32_t from, int32_t to) {
    for (int32_t lsn = from; lsn < to; ++lsn) {
        for (int i = 0; i < 588; ++i) {
            out.push_back(LeftSampleOf(lsn));
            out.push_back(static_cast<int16_t>(i));
        }
    }
}

inline DiscImage WriteDiscImage(const std::string& folder, const std::vector<ImageTrack>& tracks,
                                const std::string& name = "disc") {
    DiscImage image;
    image.cue = folder + "/" + name + ".cue";
    image.bin = folder + "/" + name + ".bin";
    std::ofstream bin(image.bin, std::ios::binary);
    std::ofstream cue(image.cue);
    cue << "FILE \"" << name << ".bin\" BINARY\n";
    int32_t lsn = 0;
    int number = 1;
    auto bcd = [](int v) { return static_cast<char>((v / 10) << 4 | (v % 10)); };
    for (const ImageTrack& track : tracks) {
        image.starts.push_back(lsn);
        char index[64];
        std::snprintf(index, sizeof index, "%02d:%02d:%02d", lsn / 4500, lsn / 75 % 60, lsn % 75);
        cue << "  TRACK " << (number < 10 ? "0" : "") << number
            << (track.audio ? " AUDIO\n" : " MODE1/2352\n") << "    INDEX 01 " << index << "\n";
        for (int32_t s = 0; s < track.sectors; ++s, ++lsn) {
            std::string sector(2352, '\0');
            if (track.audio) {
                const int16_t left = LeftSampleOf(lsn);
                for (int i = 0; i < 588; ++i) {
                    const int16_t right = static_cast<int16_t>(i);
                    sector[i * 4 + 0] = static_cast<char>(left & 0xFF);
                    sector[i * 4 + 1] = static_cast<char>((left >> 8) & 0xFF);
                    sector[i * 4 + 2] = static_cast<char>(right & 0xFF);
                    sector[i * 4 + 3] = static_cast<char>((right >> 8) & 0xFF);
                }
            } else {
                // Mode 1 sector: sync pattern, BCD address, mode, then user data.
                for (int i = 1; i <= 10; ++i) sector[i] = static_cast<char>(0xFF);
                const int a = lsn + 150;
                sector[12] = bcd(a / 4500);
                sector[13] = bcd(a / 75 % 60);
                sector[14] = bcd(a % 75);
                sector[15] = 1;
                for (int i = 16; i < 16 + 2048; ++i) sector[i] = static_cast<char>(0x55);
            }
            bin.write(sector.data(), static_cast<std::streamsize>(sector.size()));
        }
        ++number;
    }
    image.leadout = lsn;
    return image;
}

}  // namespace zanto::testkit
