#include "memview/link/FormatCheck.h"

#include <cstring>

namespace zanto {

bool HasCardSignature(const uint8_t* block) {
    for (size_t at : {size_t(0), size_t(8192), size_t(16384), size_t(24576)}) {
        if (std::memcmp(block + at, kCardSignature, sizeof kCardSignature) == 0) return true;
    }
    return false;
}

FormatState ClassifyUncheckedHeader(const DirectoryImage& raw, uint16_t chipTotal) {
    if (!raw.HeaderSumsToZero()) return FormatState::Unknown;
    if (raw.RawPlayCount() > kPlayListSlots || raw.RawDataCount() > kDataListSlots)
        return FormatState::Unknown;
    if (raw.Total() != chipTotal) return FormatState::Unknown;
    // Summed wide, so counts that wrap around 65536 do not pass for the total.
    const uint32_t counted = uint32_t(raw.Used()) + raw.FreeCount() + raw.BadCount();
    if (counted != raw.Total()) return FormatState::Unknown;
    if (raw.Version() > kFormatVersion) return FormatState::Unknown;
    return raw.Version() == kFormatVersion ? FormatState::NeedsScan
                                           : FormatState::OlderFormatDamaged;
}

ConversionStart PlanConversion(DeviceError readError, uint16_t versionRead) {
    ConversionStart start;
    if (versionRead >= kFormatVersion) return start;
    if (readError == DeviceError::UnsupportedVersion) {
        start.applies = true;
    } else if (readError == DeviceError::DirectoryChecksum) {
        start.applies = true;
        start.wipeEntries = true;
    }
    start.interimVersion = versionRead;
    return start;
}

}  // namespace zanto
