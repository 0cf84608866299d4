// Block level of the protocol: 32-KB block read and verified write, the retrying wrappers, fill and
// the good-block test.
#include <cstring>
#include <mutex>

#include "memview/link/BlockLock.h"
#include "memview/link/MemoryDevice.h"

#include <functional>
#include "memview/link/WordChecksum.h"

namespace zanto {

namespace {

// The spare of pages 0..62; bytes 12-13 receive the page checksum.
constexpr std::array<uint8_t, kPageSpareSize> kNormalSpare = {
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF};

BlockAddress AtPage(const BlockAddress& start, size_t page) {
    BlockAddress a = start;
    a.SetPageAddress(static_cast<uint16_t>(start.PageAddress() + page));
    return a;
}

}  // namespace

std::array<uint8_t, kPageSpareSize> MemoryDevice::LinkSpare(uint16_t previous,
                                                            uint16_t next) const {
    std::array<uint8_t, kPageSpareSize> spare;
    spare.fill(0xFF);
    spare[12] = spare[13] = 0;
    if (next != kNoNeighbour) {
        BlockAddress n = AddressOf(next);
        for (size_t i = 0; i < 6; ++i) spare[i] = n.bytes[i];
    }
    if (previous != kNoNeighbour) {
        BlockAddress p = AddressOf(previous);
        for (size_t i = 0; i < 6; ++i) spare[6 + i] = p.bytes[i];
        spare[14] = p.bytes[8];
        spare[15] = p.bytes[9];
    }
    return spare;
}

VerifyMode MemoryDevice::SetVerifyMode(VerifyMode mode) {
    VerifyMode previous = verifyMode_;
    verifyMode_ = mode;
    return previous;
}

bool MemoryDevice::StartBlockTransfer(uint16_t block, DeviceError failure, BlockAddress& start) {
    if (block >= kBlockLimit) {
        lastError_ = failure;
        return false;
    }
    start = AddressOf(block);
    if (!Probe()) {
        lastError_ = DeviceError::NotConnected;
        return false;
    }
    if (!Greet()) {
        lastError_ = DeviceError::HandshakeFailed;
        return false;
    }
    if (start.BeyondMemory()) {
        lastError_ = failure;
        return false;
    }
    return true;
}

bool MemoryDevice::ReadBlock(uint16_t block, uint8_t* buffer, bool check) {
    std::lock_guard lock(BlockLock());
    BlockAddress start;
    if (!StartBlockTransfer(block, DeviceError::FlashRead, start)) return false;
    const uint8_t chip = ChipSelectOf(start);
    for (size_t k = 0; k < kPagesPerBlock; ++k) {
        if (!ReadPage(chip, AtPage(start, k), buffer + k * kPageDataSize, nullptr, check))
            return false;
    }
    lastError_ = DeviceError::None;
    return true;
}

bool MemoryDevice::ProgramBlock(const uint8_t* data, const BlockAddress& start,
                                std::array<uint8_t, kPageSpareSize> linkSpare) {
    const uint8_t chip = ChipSelectOf(start);
    for (size_t u = 0; u < start.UnitsPerBlock(); ++u) {
        if (!EraseUnit(chip, AtPage(start, u * start.PagesPerUnit()))) return false;
    }
    std::array<uint8_t, kPageSpareSize> spare;
    for (size_t k = 0; k < kPagesPerBlock; ++k) {
        const bool last = k == kPagesPerBlock - 1;
        spare = last ? linkSpare : kNormalSpare;
        if (!ProgramPage(chip, AtPage(start, k), data + k * kPageDataSize, spare.data()))
            return false;
    }
    lastError_ = DeviceError::None;
    return true;
}

bool MemoryDevice::VerifyBlock(const uint8_t* data, const BlockAddress& start,
                               const std::array<uint8_t, kPageSpareSize>& linkSpare) {
    const uint8_t chip = ChipSelectOf(start);
    std::array<uint8_t, kPageSpareSize> expected = linkSpare;
    const uint8_t* lastPage = data + (kPagesPerBlock - 1) * kPageDataSize;
    const uint16_t checksum = WordChecksum(lastPage, kPageDataSize);
    expected[12] = static_cast<uint8_t>(checksum & 0xFF);
    expected[13] = static_cast<uint8_t>(checksum >> 8);

    uint8_t page[kPageDataSize];
    uint8_t spare[kPageSpareSize];
    const size_t first = verifyMode_ == VerifyMode::Full ? 0 : kPagesPerBlock - 1;
    for (size_t k = first; k < kPagesPerBlock; ++k) {
        const BlockAddress at = AtPage(start, k);
        bool same = ReadPage(chip, at, page, spare, true);
        if (same && verifyMode_ == VerifyMode::Full)
            same = std::memcmp(page, data + k * kPageDataSize, kPageDataSize) == 0;
        if (same && k == kPagesPerBlock - 1)
            same = std::memcmp(spare, expected.data(), kPageSpareSize) == 0;
        if (!same) {
            const bool firstPage = chip == ChipSelectCode(memoryType_, 0) && at.Column() == 0 &&
                                   at.PageAddress() == 0;
            lastError_ = firstPage ? DeviceError::MemoryFault : DeviceError::BadBlock;
            return false;
        }
    }
    return true;
}

bool MemoryDevice::WriteBlock(uint16_t block, const uint8_t* data, uint16_t previous,
                              uint16_t next) {
    std::lock_guard lock(BlockLock());
    BlockAddress start;
    if (!StartBlockTransfer(block, DeviceError::FlashWrite, start)) return false;
    const auto linkSpare = LinkSpare(previous, next);
    if (verifyMode_ == VerifyMode::None) return ProgramBlock(data, start, linkSpare);
    for (int attempt = 0; attempt < 5; ++attempt) {
        lastError_ = DeviceError::None;
        if (!ProgramBlock(data, start, linkSpare)) return false;
        if (VerifyBlock(data, start, linkSpare)) {
            lastError_ = DeviceError::None;
            return true;
        }
    }
    return false;
}

bool MemoryDevice::RetryOnce(const std::function<bool()>& transfer) {
    if (transfer()) return true;
    if (lastError_ == DeviceError::BadBlock) return false;
    if (cancelEvent_.IsSet()) {
        lastError_ = DeviceError::Cancelled;
        return false;
    }
    // Anything else may be a player that lost its place: identify the chips again, then once more.
    const DeviceError remembered = lastError_;
    lastError_ = DeviceError::None;
    if (!IdentifyChips()) {
        lastError_ = remembered;
        return false;
    }
    return transfer();
}

bool MemoryDevice::ReadBlockRetry(uint16_t block, uint8_t* buffer, bool check) {
    return RetryOnce([&] { return ReadBlock(block, buffer, check); });
}

bool MemoryDevice::WriteBlockRetry(uint16_t block, const uint8_t* data, uint16_t previous,
                                   uint16_t next) {
    return RetryOnce([&] { return WriteBlock(block, data, previous, next); });
}

bool MemoryDevice::FillBlock(const BlockAddress& address, uint8_t value) {
    const uint8_t chip = ChipSelectOf(address);
    uint8_t page[kPageDataSize];
    std::memset(page, value, sizeof page);
    uint8_t spare[kPageSpareSize];
    for (size_t u = 0; u < address.UnitsPerBlock(); ++u)
        EraseUnit(chip, AtPage(address, u * address.PagesPerUnit()));
    const size_t pages = static_cast<size_t>(address.UnitsPerBlock()) * address.PagesPerUnit();
    for (size_t k = 0; k < pages; ++k) {
        std::memset(spare, value, sizeof spare);
        ProgramPage(chip, AtPage(address, k), page, spare);
    }
    lastError_ = DeviceError::None;
    return true;
}

bool MemoryDevice::IsGoodBlock(const BlockAddress& address) {
    if (address.BeyondMemory()) {
        lastError_ = DeviceError::FlashRead;
        return false;
    }
    const uint8_t chip = ChipSelectOf(address);
    uint8_t page[kPageDataSize];
    uint8_t spare[kPageSpareSize];
    for (size_t u = 0; u < address.UnitsPerBlock(); ++u) {
        for (size_t k = 0; k < 2; ++k) {
            if (!ReadPage(chip, AtPage(address, u * address.PagesPerUnit() + k), page, spare, false))
                return false;
            if (spare[5] != 0xFF) {
                lastError_ = DeviceError::None;
                return false;
            }
        }
    }
    lastError_ = DeviceError::None;
    return true;
}

}  // namespace zanto
