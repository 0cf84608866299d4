// Checksums, error texts and block addresses: the pieces the protocol is built from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memview/link/DeviceError.h"
#include "memview/link/FlashGeometry.h"
#include "memview/link/WordChecksum.h"

using namespace zanto;

TEST(WordChecksum, ComplementsTheWordSum) {
    struct Case {
        std::vector<uint8_t> area;
        uint16_t checksum;
    };
    std::vector<uint8_t> ones(512, 0xFF), zeros(512, 0x00);
    const Case cases[] = {
        {ones, 0x0100},
        {zeros, 0x0000},
        {{0x01, 0x00, 0x02, 0x00}, 0xFFFD},  // words 1 and 2, little-endian
        {{0x00, 0x01}, 0xFF00},              // word 0x0100
        {{0xFF, 0xFF, 0x01, 0x00}, 0x0000},  // sum wraps to 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordChecksum(c.area.data(), c.area.size()), c.checksum);
        EXPECT_TRUE(ChecksumPasses(c.area.data(), c.area.size(), c.checksum));
        EXPECT_FALSE(ChecksumPasses(c.area.data(), c.area.size(),
                                    static_cast<uint16_t>(c.checksum + 1)));
    }
}

TEST(DeviceErrorText, IsTheStringAtThousandAndOnePlusCode) {
    struct Case {
        DeviceError error;
        const char* text;
        const char* name;
    };
    const Case cases[] = {
        {DeviceError::None, " ", "None"},
        {DeviceError::NoPort, "No communication port.", "NoPort"},
        {DeviceError::Timeout, "Device communication time Out.", "Timeout"},
        {DeviceError::CardRemoved, "Flash memory removed.\nRetry after initializing.", "CardRemoved"},
        {DeviceError::Cancelled, " ", "Cancelled"},
        {DeviceError::Unstable,
         "Device memory is unstable.\nSelect Refresh and try again.\nIf you get the same error, "
         "select Initialize.",
         "Unstable"},
        {DeviceError::HandshakeFailed, "Authentication fail.", "HandshakeFailed"},
        {DeviceError::PortBusy, "Parallel port is currently unavailable.", "PortBusy"},
        {DeviceError::PageChecksum, "Checksum fail.", "PageChecksum"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(DeviceErrorText(c.error), c.text);
        EXPECT_STREQ(MemviewString(1001 + static_cast<unsigned>(c.error)), c.text);
        EXPECT_STREQ(DeviceErrorName(c.error), c.name);
    }
    // Every code has a text; nothing beyond the table does.
    for (uint16_t code = 0; code < kDeviceErrorCount; ++code)
        EXPECT_GT(std::string(DeviceErrorText(static_cast<DeviceError>(code))).size(), 0u) << code;
    EXPECT_STREQ(DeviceErrorText(static_cast<DeviceError>(kDeviceErrorCount)), "");
    EXPECT_STREQ(DeviceErrorName(static_cast<DeviceError>(999)), "Unknown");
}

TEST(BlockAddress, WalksTheFilledPositionsInOrder) {
    struct Case {
        std::array<uint8_t, 8> codes;
        MemoryType type;
        uint16_t block;
        std::array<uint8_t, 10> bytes;
    };
    const Case cases[] = {
        // Block 0 on a 0x75 chip.
        {{0x75}, MemoryType::Internal, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x20, 0x00, 0x00}},
        {{0x75}, MemoryType::Card, 0, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0x20, 0x00, 0x00}},
        // 0x73 then 0xE6: block 600 is block 88 of position 1, page address 5632.
        {{0x73, 0xE6}, MemoryType::Internal, 600,
         {0x00, 0x00, 0x16, 0x00, 0x01, 0x01, 0x04, 0x10, 0x00, 0x58}},
        // Last block of the first chip, then first of the second.
        {{0x73, 0xE6}, MemoryType::Internal, 511,
         {0x00, 0xC0, 0x7F, 0x00, 0x00, 0x00, 0x02, 0x20, 0x01, 0xFF}},
        {{0x73, 0xE6}, MemoryType::Internal, 512,
         {0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x04, 0x10, 0x00, 0x00}},
        // Empty positions are skipped.
        {{0x00, 0xE6}, MemoryType::Internal, 1, {0x00, 0x40, 0x00, 0x00, 0x01, 0x01, 0x04, 0x10, 0x00, 0x01}},
        // The last block of a full 0x75 chip: page address 65472.
        {{0x75}, MemoryType::Internal, 1023, {0x00, 0xC0, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x20, 0x03, 0xFF}},
        // Beyond the memory: position 0xFF, no geometry.
        {{0x73, 0xE6}, MemoryType::Internal, 768, {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {{}, MemoryType::Card, 0, {0x00, 0x00, 0x00, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        ChipTable chips;
        chips.codes = c.codes;
        BlockAddress a = BuildBlockAddress(chips, c.type, c.block);
        EXPECT_EQ(a.bytes, c.bytes) << "block " << c.block;
    }
}

TEST(StringTable, HoldsTheLibrarysTextsByNumber) {
    struct Case {
        unsigned id;
        const char* text;
    };
    const Case cases[] = {
        {5, "Initializing will delete all data. \nContinue?"},
        {7, "Cannot open or read file,\n %1(renamed to %2).\n\nContinue?"},
        {14, " Total Size: %luKB"},
        {101, "Cannot load device driver ZANTOPNP.VXD"},
        {131, "The Flash Memory format is an older version.\nPlease select Initialize to reformat "
              "the memory.\n"},
        {2, ""},
        {1000, ""},
        {1027, ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(MemviewString(c.id), c.text) << c.id;
}
