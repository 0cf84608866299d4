#pragma once
// The fixed layout of the built-in skin: which picture resource fills each picture slot and where,
// and the fonts' faces, boxes and colours. The picture generator and the skin store both read it.
#include <array>
#include <cstdint>

namespace zanto::skin {

inline constexpr int kRegionCount = 6;
inline constexpr int kBitmapCount = 83;
inline constexpr int kFontCount = 15;

constexpr uint32_t Words(int low, int high) {
    return (static_cast<uint32_t>(high) << 16) | (static_cast<uint32_t>(low) & 0xFFFFu);
}

struct BitmapSlot {
    int resource;  // 0: the slot stays empty
    uint32_t word0;
    uint32_t word1;
    bool mask;     // hit mask: loaded without palette
};

// clang-format off
inline constexpr std::array<BitmapSlot, kBitmapCount> kBitmapSlots = {{
    {141, 0, 0, false},                     // 0 player background
    {172, 0, 0, true},                      // 1 player hit mask
    {145, 121, 77, false},                  // 2..6 mode button, one picture per play mode
    {153, 121, 77, false},
    {152, 121, 77, false},
    {150, 121, 77, false},
    {142, 121, 77, false},
    {144, 98, 77, false},                   // 7 next
    {147, 52, 77, false},                   // 8 pause
    {148, 52, 77, false},                   // 9 play
    {149, 28, 77, false},                   // 10 previous
    {155, 75, 77, false},                   // 11 stop
    {146, 148, 77, false},                  // 12 open
    {154, Words(133, 148), 67, false},      // 13 seek slider: x, track width; y
    {156, Words(176, 106), 80, false},      // 14 volume slider
    {206, 317, 7, false},                   // 15 exit
    {169, 297, 27, false},                  // 16 playlist
    {171, 297, 76, false},                  // 17 options
    {205, 306, 7, false},                   // 18 minimize
    {222, 297, 57, false},                  // 19 memory
    {167, 297, 42, false},                  // 20 CD
    {151, Words(56, 85), Words(47, 47), false},  // 21 time digits: minutes, seconds
    {143, 245, 46, false},                  // 22 channel picture
    {209, 33, 6, false},                    // 23 about
    {210, 295, 7, false},                   // 24 help
    {224, 46, 49, false},                   // 25 play mark
    {180, 0, 0, false},                     // 26 CD window background
    {158, 381, 8, false},                   // 27
    {177, 19, 109, false},                  // 28
    {0, 0, 0, false},                       // 29 empty
    {0, 0, 0, false},                       // 30 empty
    {173, 19, 92, false},                   // 31
    {169, 14, 170, false},                  // 32
    {222, 43, 170, false},                  // 33
    {174, 0, 0, true},                      // 34 CD window hit mask
    {207, 25, 11, false},                   // 35
    {208, 351, 8, false},                   // 36
    {157, 366, 8, false},                   // 37
    {183, 0, 0, false},                     // 38 playlist background
    {184, 0, 0, true},                      // 39 playlist hit mask
    {192, 17, 101, false},                  // 40
    {191, 17, 125, false},                  // 41
    {182, 21, 65, false},                   // 42 latching: all
    {185, 21, 75, false},                   // 43 latching: clear
    {189, 17, 141, false},                  // 44
    {187, 93, 20, false},                   // 45
    {188, 135, 20, false},                  // 46
    {190, 175, 20, false},                  // 47
    {181, 213, 20, false},                  // 48
    {158, 380, 8, false},                   // 49
    {157, 365, 8, false},                   // 50
    {167, 14, 170, false},                  // 51
    {222, 43, 170, false},                  // 52
    {207, 25, 10, false},                   // 53
    {208, 350, 8, false},                   // 54
    {202, 0, 0, false},                     // 55 internal-memory view background
    {195, 0, 0, true},                      // 56 its hit mask
    {201, 15, 75, false},                   // 57
    {197, 15, 58, false},                   // 58
    {199, 15, 41, false},                   // 59
    {193, 15, 92, false},                   // 60
    {198, 15, 109, false},                  // 61
    {200, 15, 126, false},                  // 62
    {158, 380, 8, false},                   // 63
    {157, 365, 8, false},                   // 64
    {169, 14, 205, false},                  // 65
    {167, 43, 205, false},                  // 66
    {207, 25, 19, false},                   // 67
    {208, 350, 8, false},                   // 68
    {194, 0, 0, false},                     // 69 card view background
    {196, 0, 0, true},                      // 70 its hit mask
    {201, 15, 75, false},                   // 71
    {197, 15, 58, false},                   // 72
    {199, 15, 41, false},                   // 73
    {193, 15, 92, false},                   // 74
    {198, 15, 109, false},                  // 75
    {200, 15, 126, false},                  // 76
    {158, 380, 8, false},                   // 77
    {157, 365, 8, false},                   // 78
    {169, 14, 205, false},                  // 79
    {167, 43, 205, false},                  // 80
    {207, 25, 19, false},                   // 81
    {208, 350, 8, false},                   // 82
}};
// clang-format on

struct FontSlot {
    const char* face;
    int height;
    uint32_t box0;
    uint32_t box1;
};

inline constexpr uint32_t kDisplayText = 0x000000;  // black, as 0xRRGGBB
inline constexpr uint32_t kDisplayBack = 0xC0DCC0;  // RGB(192, 220, 192)

// clang-format off
inline constexpr std::array<FontSlot, kFontCount> kFontSlots = {{
    {"MS Sans Serif", -11, Words(45, 227), 28},
    {"MS Serif", -8, 127, 45},
    {"MS Serif", -8, 169, 45},
    {"MS Serif", -8, 212, 45},
    {"MS Sans Serif", -11, Words(89, 301), Words(44, 15)},
    {"MS Sans Serif", -11, Words(89, 301), Words(59, 12)},
    {"MS Sans Serif", -11, Words(89, 301), Words(74, 115)},
    {"MS Sans Serif", -11, Words(89, 301), Words(192, 12)},
    {"MS Sans Serif", -11, Words(89, 301), Words(50, 154)},
    {"MS Sans Serif", -11, Words(89, 151), Words(221, 13)},
    {"MS Sans Serif", -11, Words(240, 150), Words(221, 13)},
    {"MS Sans Serif", -11, Words(89, 301), Words(44, 177)},
    {"MS Sans Serif", -11, Words(89, 151), Words(221, 13)},
    {"MS Sans Serif", -11, Words(240, 150), Words(221, 13)},
    {"MS Sans Serif", -11, Words(89, 301), Words(44, 177)},
}};
// clang-format on

// Element numbers of each window.
inline constexpr int kPlayerRegion = 0;
inline constexpr int kCdRegion = 1;
inline constexpr int kPlaylistRegion = 2;
inline constexpr int kMemoryFrameRegion = 3;
inline constexpr int kInternalViewRegion = 4;
inline constexpr int kCardViewRegion = 5;

}  // namespace zanto::skin
