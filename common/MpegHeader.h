#pragma once
// MPEG audio frame header fields, tables and frame length. A header is the four bytes at a frame
// start read as one big-endian 32-bit value; 0 means that no frame was found.
#include <cstdint>

namespace zanto::mpeg {

// True when the top twelve bits (the sync word) are all set.
constexpr bool IsValidHeader(uint32_t h) { return (h & 0xFFF00000u) == 0xFFF00000u; }

int Version(uint32_t h);        // 1 = MPEG-1, 2 = MPEG-2 (lower sampling frequencies)
int Layer(uint32_t h);          // 1, 2 or 3; 0 for the reserved layer bits
uint32_t BitRate(uint32_t h);   // bit/s; 0 for free format and index 15
uint32_t SampleRate(uint32_t h);// Hz; the reserved index gives 1
int Padding(uint32_t h);        // 0 or 1
int ChannelMode(uint32_t h);    // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
uint32_t FrameLength(uint32_t h);  // bytes; 0 when the bit rate or layer gives none

const char* ChannelModeName(int mode);  // "stereo", "joint stereo", "dual channel", "mono"

}  // namespace zanto::mpeg
