#include "memview/link/FlashGeometry.h"

namespace zanto {

namespace {

constexpr ChipKind kKinds[] = {
    {0xE6, 256, 16, 4},
    {0x73, 512, 32, 2},
    {0x75, 1024, 32, 2},
};

}  // namespace

const ChipKind* FindChipKind(uint8_t code) {
    for (const auto& k : kKinds)
        if (k.code == code) return &k;
    return nullptr;
}

size_t ChipPositions(MemoryType type) { return type == MemoryType::Card ? 2 : 4; }

uint8_t ChipSelectCode(MemoryType type, size_t position) {
    return static_cast<uint8_t>((type == MemoryType::Card ? 4 : 0) + position);
}

BlockAddress BuildBlockAddress(const ChipTable& chips, MemoryType type, uint16_t block) {
    BlockAddress a;
    a.bytes[3] = static_cast<uint8_t>(type);
    a.bytes[4] = 0xFF;
    uint32_t n = block;
    uint16_t inChip = 0;
    for (size_t p = 0; p < kChipPositions; ++p) {
        const ChipKind* kind = FindChipKind(chips.codes[p]);
        if (!kind) continue;
        if (n < kind->blocks) {
            inChip = static_cast<uint16_t>(n);
            a.bytes[4] = static_cast<uint8_t>(p);
            a.bytes[5] = static_cast<uint8_t>(p);
            a.bytes[6] = kind->unitsPerBlock;
            a.bytes[7] = kind->pagesPerUnit;
            a.bytes[8] = static_cast<uint8_t>(inChip >> 8);
            a.bytes[9] = static_cast<uint8_t>(inChip & 0xFF);
            break;
        }
        n -= kind->blocks;
    }
    a.bytes[0] = 0;
    a.SetPageAddress(static_cast<uint16_t>(64u * inChip));
    return a;
}

}  // namespace zanto
