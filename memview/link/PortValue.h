#pragma once
// The 32-bit port selector kept in the "port" setting: bits 0-15 the I/O base address (0 = no port
// in that slot), bits 16-31 the kind (0 standard, 1 ECP). 0xFFFFFFFF: no port chosen.
#include <cstdint>

namespace zanto {

using PortValue = uint32_t;

inline constexpr PortValue kNoPortChosen = 0xFFFFFFFFu;
inline constexpr uint16_t kPortKindStandard = 0;
inline constexpr uint16_t kPortKindEcp = 1;

constexpr uint16_t PortBaseOf(PortValue v) { return static_cast<uint16_t>(v & 0xFFFFu); }
constexpr uint16_t PortKindOf(PortValue v) { return static_cast<uint16_t>(v >> 16); }
constexpr PortValue MakePortValue(uint16_t base, uint16_t kind) {
    return (static_cast<PortValue>(kind) << 16) | base;
}

}  // namespace zanto
