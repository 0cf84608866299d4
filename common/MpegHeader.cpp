#include "common/MpegHeader.h"

namespace zanto::mpeg {

namespace {
// kbit/s by [version 0 = MPEG-1, 1 = MPEG-2][layer - 1][index] (ISO/IEC 11172-3, 13818-3).
constexpr uint16_t kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};
constexpr uint32_t kSampleRates[2][4] = {{44100, 48000, 32000, 1}, {22050, 24000, 16000, 1}};
}  // namespace

int Version(uint32_t h) { return (h >> 19) & 1 ? 1 : 2; }

int Layer(uint32_t h) { return (4 - static_cast<int>((h >> 17) & 3)) % 4; }

uint32_t BitRate(uint32_t h) {
    int layer = Layer(h);
    if (layer == 0) return 0;
    return kBitRates[Version(h) - 1][layer - 1][(h >> 12) & 15] * 1000u;
}

uint32_t SampleRate(uint32_t h) { return kSampleRates[Version(h) - 1][(h >> 10) & 3]; }

int Padding(uint32_t h) { return (h >> 9) & 1; }

int ChannelMode(uint32_t h) { return (h >> 6) & 3; }

uint32_t FrameLength(uint32_t h) {
    const uint64_t b = BitRate(h), s = SampleRate(h), p = Padding(h);
    switch (Layer(h)) {
        case 1: return static_cast<uint32_t>((12 * b / s + p) * 4);
        case 2: return static_cast<uint32_t>(144 * b / s + p);
        case 3: return static_cast<uint32_t>((Version(h) == 1 ? 144 : 72) * b / s + p);
        default: return 0;
    }
}

const char* ChannelModeName(int mode) {
    static const char* const names[] = {"stereo", "joint stereo", "dual channel", "mono"};
    return names[mode & 3];
}

}  // namespace zanto::mpeg
