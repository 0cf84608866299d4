#pragma once
// Builders for small media fixtures made by the tests themselves: MPEG audio frames (valid
// headers with silent payload), ID3 tags and RIFF WAVE files.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/MpegHeader.h"

namespace zanto::testkit {

using Bytes = std::vector<uint8_t>;

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo, no CRC, no padding.
inline constexpr uint32_t kMp3Header = 0xFFFB9044;
// MPEG-2 Layer III, 64 kbit/s, 22050 Hz, single channel.
inline constexpr uint32_t kMpeg2Header = 0xFFF380C4;

inline void AppendBE32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
inline void AppendLE32(Bytes& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s));
}
inline void AppendLE16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// count frames with the given header, each frame its full length (header + zero payload).
inline Bytes MpegFrames(uint32_t header, int count) {
    Bytes b;
    uint32_t len = mpeg::FrameLength(header);
    for (int i = 0; i < count; ++i) {
        AppendBE32(b, header);
        b.resize(b.size() + (len > 4 ? len - 4 : 0), 0);
    }
    return b;
}

// An ID3v2 tag header announcing size bytes (synch-safe), followed by size zero bytes.
inline Bytes Id3Tag(uint32_t size) {
    Bytes b = {'I', 'D', '3', 3, 0, 0};
    b.push_back(uint8_t((size >> 21) & 0x7F));
    b.push_back(uint8_t((size >> 14) & 0x7F));
    b.push_back(uint8_t((size >> 7) & 0x7F));
    b.push_back(uint8_t(size & 0x7F));
    b.resize(b.size() + size, 0);
    return b;
}

// A RIFF WAVE file: "fmt " chunk of fmtSize bytes (at least 16) and a "data" chunk.
inline Bytes WaveFile(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                      const Bytes& data, uint32_t fmtSize = 16) {
    Bytes b;
    Append(b, "RIFF");
    AppendLE32(b, 4 + 8 + fmtSize + 8 + uint32_t(data.size()));
    Append(b, "WAVE");
    Append(b, "fmt ");
    AppendLE32(b, fmtSize);
    AppendLE16(b, tag);
    AppendLE16(b, channels);
    AppendLE32(b, rate);
    uint16_t align = uint16_t(channels * (bits ? bits / 8 : 1));
    AppendLE32(b, rate * align);
    AppendLE16(b, align);
    AppendLE16(b, bits);
    b.resize(b.size() + (fmtSize - 16), 0);
    Append(b, "data");
    AppendLE32(b, uint32_t(data.size()));
    Append(b, data);
    return b;
}

inline bool WriteFile(const std::string& path, const Bytes& b) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = b.empty() || std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace zanto::testkit
