#pragma once
// Track positions in TMSF form: track number in the lowest byte, then minute, second and frame
// (1/75 s) within that track.
#include <cstdint>

namespace zanto::cd {

constexpr uint32_t MakeTmsf(uint32_t track, uint32_t minute, uint32_t second, uint32_t frame) {
    return (track & 0xFF) | (minute & 0xFF) << 8 | (second & 0xFF) << 16 | (frame & 0xFF) << 24;
}
constexpr uint32_t TmsfTrack(uint32_t tmsf) { return tmsf & 0xFF; }
constexpr uint32_t TmsfMinute(uint32_t tmsf) { return (tmsf >> 8) & 0xFF; }
constexpr uint32_t TmsfSecond(uint32_t tmsf) { return (tmsf >> 16) & 0xFF; }
constexpr uint32_t TmsfFrame(uint32_t tmsf) { return (tmsf >> 24) & 0xFF; }

// Sectors from the track's start that the minute, second and frame bytes stand for.
constexpr uint32_t TmsfOffsetSectors(uint32_t tmsf) {
    return TmsfMinute(tmsf) * 4500 + TmsfSecond(tmsf) * 75 + TmsfFrame(tmsf);
}
// The TMSF value of an offset within a track; minutes above 255 are cut to the byte.
constexpr uint32_t TmsfOfOffset(uint32_t track, uint32_t sectors) {
    return MakeTmsf(track, sectors / 4500, sectors / 75 % 60, sectors % 75);
}

}  // namespace zanto::cd
