#pragma once
// CD time forms. A sector (frame) is 1/75 s. MSF, as the drive reports it: minute in the lowest
// byte, then second, then frame. Red Book, as track files store it: frame in the lowest byte, then
// second, then minute. The two differ only in that the frame and minute bytes change places.
#include <cstdint>

namespace zanto::cd {

inline constexpr uint32_t kFramesPerSecond = 75;

constexpr uint32_t MsfMinute(uint32_t msf) { return msf & 0xFF; }
constexpr uint32_t MsfSecond(uint32_t msf) { return (msf >> 8) & 0xFF; }
constexpr uint32_t MsfFrame(uint32_t msf) { return (msf >> 16) & 0xFF; }
constexpr uint32_t MakeMsf(uint32_t minute, uint32_t second, uint32_t frame) {
    return (minute & 0xFF) | (second & 0xFF) << 8 | (frame & 0xFF) << 16;
}

// Swaps the lowest and the third byte; the same swap turns MSF back into Red Book form.
constexpr uint32_t SwapRedBookMsf(uint32_t v) {
    return (v & 0xFF00FF00u) | (v & 0xFFu) << 16 | (v >> 16 & 0xFFu);
}
constexpr uint32_t RedBookToMsf(uint32_t redBook) { return SwapRedBookMsf(redBook); }
constexpr uint32_t MsfToRedBook(uint32_t msf) { return SwapRedBookMsf(msf); }

// frames + seconds x 75 + minutes x 4500
constexpr uint32_t SectorsOfMsf(uint32_t msf) {
    return MsfFrame(msf) + MsfSecond(msf) * kFramesPerSecond + MsfMinute(msf) * 60 * kFramesPerSecond;
}
// Minutes above 255 do not fit the minute byte and are cut to it.
constexpr uint32_t MsfOfSectors(uint32_t sectors) {
    return MakeMsf(sectors / (60 * kFramesPerSecond), sectors / kFramesPerSecond % 60,
                   sectors % kFramesPerSecond);
}

}  // namespace zanto::cd
