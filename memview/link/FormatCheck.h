#pragma once
// Classification of a memory before initializing it, and the data that decides whether an
// older-format memory is converted.
#include <cstdint>

#include "memview/link/DeviceError.h"
#include "memview/link/DirectoryImage.h"

namespace zanto {

enum class FormatState : uint8_t {
    Formatted = 0,           // a valid directory: a quick initialize will do
    NeedsScan = 1,           // no usable directory of ours: initialize with a bad-block scan
    OtherEquipment = 2,      // a card formatted by standard memory-card formatting
    OlderFormat = 3,         // a valid directory of an older version: convert
    OlderFormatDamaged = 4,  // an older-version card directory whose body does not check: convert
    Unknown = 5,             // not classified (no link, or nothing recognised)
};

// The start of the card information structure written by standard memory-card formatting.
inline constexpr uint8_t kCardSignature[10] = {0x01, 0x03, 0xD9, 0x01, 0xFF,
                                               0x18, 0x02, 0xDF, 0x01, 0x20};

// The signature at offset 0, 8192, 16384 or 24576 of a 32-KB block.
bool HasCardSignature(const uint8_t* block);

// A card's block 0 read without page checks: NeedsScan when its header is a plausible directory
// of this version, OlderFormatDamaged for an older version, Unknown when it is no directory.
FormatState ClassifyUncheckedHeader(const DirectoryImage& raw, uint16_t chipTotal);

// Whether a failed directory read leads to the older-format conversion, and how it starts.
struct ConversionStart {
    bool applies = false;
    // The header and entries read are unusable (body checksum failed): set them to 0xFF first.
    bool wipeEntries = false;
    // The version the interim empty directory carries until every block is cleared, so that an
    // interrupted conversion is still recognised as older format and can be run again.
    uint16_t interimVersion = 0;
};
ConversionStart PlanConversion(DeviceError readError, uint16_t versionRead);

}  // namespace zanto
