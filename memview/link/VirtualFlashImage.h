#pragma once
// One memory of the virtual player kept in a file ("internal.flash" or "card.flash"), mapped into
// memory so that every erase and program reaches the file as it happens.
//
// File layout: 64-byte header - "KP50NAND", format version 1 (LE 32), memory type 0/1 (LE 32),
// the device code of chip positions 0..7 (0 = empty), zeros - then each filled position's whole
// chip in position order, page after page, 528 bytes a page (512 data, 16 spare). Erased = 0xFF.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "memview/link/FlashGeometry.h"

namespace zanto {

inline constexpr size_t kImageHeaderSize = 64;
inline constexpr uint32_t kImageVersion = 1;

class VirtualFlashImage {
public:
    VirtualFlashImage() = default;
    ~VirtualFlashImage();
    VirtualFlashImage(const VirtualFlashImage&) = delete;
    VirtualFlashImage& operator=(const VirtualFlashImage&) = delete;

    // Writes a new erased image (replacing any file of that name). Codes: one per position,
    // each 0 or a known chip kind. False with a reason on failure.
    static bool Create(const std::string& path, MemoryType type,
                       const std::array<uint8_t, kChipPositions>& codes, std::string* error);
    // Maps an existing image read-write after checking its header and size.
    bool Open(const std::string& path, MemoryType type, std::string* error);
    void Close();
    bool IsOpen() const { return base_ != nullptr; }

    uint8_t Code(size_t position) const { return position < kChipPositions ? codes_[position] : 0; }
    const std::array<uint8_t, kChipPositions>& Codes() const { return codes_; }
    // Pages of the chip at a position (0 when empty).
    uint32_t PageCount(size_t position) const;
    // The 528 bytes of a page, or nullptr when the position is empty or the page beyond the chip.
    uint8_t* Page(size_t position, uint32_t page);
    // The position and block within the chip of a logical block; false beyond the memory.
    bool Locate(uint16_t block, size_t& position, uint16_t& blockInChip) const;

private:
    uint8_t* base_ = nullptr;
    size_t size_ = 0;
    std::array<uint8_t, kChipPositions> codes_{};
    std::array<size_t, kChipPositions> offsets_{};
};

}  // namespace zanto
