#pragma once
// Sizes of the player's NAND flash, the chip kinds it knows, the chip table of one memory and the
// 10-byte block address that the link protocol sends and the spare areas store.
#include <array>
#include <cstddef>
#include <cstdint>

namespace zanto {

enum class MemoryType : uint8_t { Internal = 0, Card = 1 };

inline constexpr size_t kPageDataSize = 512;
inline constexpr size_t kPageSpareSize = 16;
inline constexpr size_t kPageRawSize = kPageDataSize + kPageSpareSize;  // 528
inline constexpr size_t kPagesPerBlock = 64;
inline constexpr size_t kBlockSize = kPageDataSize * kPagesPerBlock;     // 32768
inline constexpr uint16_t kBlockLimit = 8192;   // block numbers at or above are never valid
inline constexpr uint16_t kNoNeighbour = 0xFFFF;  // previous/next of WriteBlock: none
inline constexpr size_t kChipPositions = 8;

// One known chip kind, by its device code (the second byte of the read-ID answer).
struct ChipKind {
    uint8_t code;
    uint16_t blocks;         // 32-KB blocks
    uint8_t pagesPerUnit;    // pages per erase unit
    uint8_t unitsPerBlock;   // erase units per block
};
// The kind of a device code, or nullptr for a code the player does not use (empty position).
const ChipKind* FindChipKind(uint8_t code);

// Chip positions of a memory and the chip-select code of each (internal 0..3, card 4..5).
size_t ChipPositions(MemoryType type);
uint8_t ChipSelectCode(MemoryType type, size_t position);

// The chips found by identification: device code per position (0 = empty) and the total blocks.
struct ChipTable {
    std::array<uint8_t, kChipPositions> codes{};
    uint16_t totalBlocks = 0;
};

// Byte layout: 0 column (0), 1-2 page address (LE; 64 x block within chip, advanced to the page
// in use), 3 memory type, 4 and 5 chip position (0xFF: beyond the memory), 6 erase units per
// block, 7 pages per erase unit (0: beyond the memory), 8-9 block within chip (high, low).
struct BlockAddress {
    std::array<uint8_t, 10> bytes{};

    uint16_t PageAddress() const { return static_cast<uint16_t>(bytes[1] | (bytes[2] << 8)); }
    void SetPageAddress(uint16_t page) {
        bytes[1] = static_cast<uint8_t>(page & 0xFF);
        bytes[2] = static_cast<uint8_t>(page >> 8);
    }
    uint8_t Column() const { return bytes[0]; }
    uint8_t Position() const { return bytes[4]; }
    uint8_t UnitsPerBlock() const { return bytes[6]; }
    uint8_t PagesPerUnit() const { return bytes[7]; }
    uint16_t BlockInChip() const { return static_cast<uint16_t>((bytes[8] << 8) | bytes[9]); }
    bool BeyondMemory() const { return bytes[7] == 0; }
};

// The address of logical block n of a memory with the given chips.
BlockAddress BuildBlockAddress(const ChipTable& chips, MemoryType type, uint16_t block);

}  // namespace zanto
