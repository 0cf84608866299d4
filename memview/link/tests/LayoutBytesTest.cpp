// A memory written with the device operations, checked byte by byte against the layout with
// arithmetic of its own (no library helper decides what is right).
#include <gtest/gtest.h>

#include "memview/link/tests/DeviceRig.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Sum(const uint8_t* p, size_t bytes) {
    uint32_t s = 0;
    for (size_t i = 0; i < bytes; i += 2) s += Le16(p + i);
    return static_cast<uint16_t>(s);
}

// Two 0xE6 chips of 256 blocks: block n lies on position n / 256 at page 64 x (n % 256).
std::vector<uint8_t> AddressBytes(uint16_t block) {
    const uint16_t page = static_cast<uint16_t>((block % 256) * 64);
    const uint8_t pos = static_cast<uint8_t>(block / 256);
    return {0x00, uint8_t(page & 0xFF), uint8_t(page >> 8), 0x00, pos, pos};
}

// The spare page 63 must carry for a block between previous and next (0xFFFF: none).
std::vector<uint8_t> LinkSpare(uint16_t previous, uint16_t next, uint16_t checksum) {
    std::vector<uint8_t> s(16, 0xFF);
    if (next != 0xFFFF) {
        auto a = AddressBytes(next);
        std::copy(a.begin(), a.end(), s.begin());
    }
    if (previous != 0xFFFF) {
        auto a = AddressBytes(previous);
        std::copy(a.begin(), a.end(), s.begin() + 6);
        s[14] = 0;  // block within chip, high byte (below 256 here)
        s[15] = static_cast<uint8_t>(previous % 256);
    }
    s[12] = static_cast<uint8_t>(checksum);
    s[13] = static_cast<uint8_t>(checksum >> 8);
    return s;
}

void ExpectBlockPages(DeviceRig& rig, uint16_t block, const std::vector<uint8_t>& data,
                      uint16_t previous, uint16_t next) {
    SCOPED_TRACE("block " + std::to_string(block));
    for (size_t k = 0; k < 64; ++k) {
        const uint8_t* page = rig.player().BlockPage(MemoryType::Internal, block, k);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(0, std::memcmp(page, data.data() + 512 * k, 512)) << "page " << k;
        const uint16_t checksum = static_cast<uint16_t>(0 - Sum(page, 512));
        std::vector<uint8_t> expected =
            k < 63 ? std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF,
                                          0xFF, 0xFF, 0x00, uint8_t(checksum),
                                          uint8_t(checksum >> 8), 0xFF, 0xFF}
                   : LinkSpare(previous, next, checksum);
        EXPECT_EQ(std::vector<uint8_t>(page + 512, page + 528), expected) << "page " << k;
    }
}

TEST(LayoutBytesTest, WrittenMemoryMatchesTheLayoutByteForByte) {
    DeviceRig rig({0xE6, 0xE6});
    MemoryDevice& d = *rig.device;
    rig.clock.SetCalendarSeconds(900000000);
    ASSERT_TRUE(d.InitializeQuick());
    // Blocks 3..255 bad, so the first file crosses from the first chip to the second.
    for (uint16_t b = 3; b < 256; ++b) d.Image().MarkBad(b);
    const auto first = Pattern(70000, 5), second = Pattern(40000, 6);
    ASSERT_TRUE(rig.InLink(d, [&] {
        return StoreFile(d, "first.mp3", first) == 0 && StoreFile(d, "second.mp3", second) == 1;
    }));

    // The directory block.
    const std::vector<uint8_t> dir = rig.BlockData(0);
    const uint8_t* h = dir.data();
    EXPECT_EQ(Sum(h, 512), 0) << "header words must add up to 0";
    EXPECT_EQ(static_cast<uint16_t>(Sum(h + 512, 32768 - 512) + Le16(h + 0x10)), 0);
    EXPECT_EQ(h[0], 2);
    EXPECT_EQ(h[1], 0);
    EXPECT_EQ(Le16(h + 2), 512);                // total
    EXPECT_EQ(Le16(h + 4), 1 + 3 + 2);          // used: directory and five file blocks
    EXPECT_EQ(Le16(h + 8), 253);                // bad
    EXPECT_EQ(Le16(h + 6), 512 - 6 - 253);      // free
    EXPECT_EQ(Le32(h + 0x0A), uint32_t(rig.clock.CalendarSeconds()));  // time of the write
    EXPECT_EQ(Le16(h + 0x12), 0xFFFF);          // not relocated
    EXPECT_EQ(Le16(h + 0x14), 0x0100);          // version
    for (size_t i = 0x16; i < 0x200; ++i) ASSERT_EQ(h[i], 0) << i;

    struct Expect {
        uint16_t firstBlock, blocks, lastBytes;
        uint32_t size;
        const char* name;
    };
    const Expect records[] = {{1, 3, 70000 - 65536, 70000, "first.mp3"},
                              {257, 2, 40000 - 32768, 40000, "second.mp3"}};
    for (int i = 0; i < 2; ++i) {
        const uint8_t* r = h + 0x200 + 128 * i;
        EXPECT_EQ(Le16(r + 0), records[i].firstBlock);
        EXPECT_EQ(Le16(r + 2), records[i].blocks);
        EXPECT_EQ(Le16(r + 4), records[i].lastBytes);
        EXPECT_EQ(Le32(r + 6), records[i].size);
        EXPECT_EQ(r[10], 0);                      // stored
        EXPECT_EQ(Le32(r + 19), 0xFFFB9044u);     // frame header word
        for (int z = 23; z < 28; ++z) EXPECT_EQ(r[z], 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(r + 28), records[i].name);
    }
    for (size_t i = 0x200 + 2 * 128; i < 0x2000; ++i) ASSERT_EQ(h[i], 0) << "unused slot " << i;

    // Usage map and link table.
    const uint8_t* map = h + 0x2000;
    const uint8_t* links = h + 0x4000;
    const std::vector<std::pair<uint16_t, uint16_t>> chain = {
        {1, 2}, {2, 256}, {256, 0}, {257, 258}, {258, 0}};
    for (uint32_t b = 0; b < 8192; ++b) {
        uint8_t mark = 0xFF;
        if (b == 0 || b == 1 || b == 2 || b == 256 || b == 257 || b == 258) mark = 0x00;
        if (b >= 3 && b < 256) mark = 0x0F;
        ASSERT_EQ(map[b], mark) << "map " << b;
        uint16_t link = 0;
        for (auto [from, to] : chain)
            if (from == b) link = to;
        ASSERT_EQ(Le16(links + 2 * b), link) << "link " << b;
    }

    // Every page of every file block, with its spare, and the directory's own link page.
    auto slice = [](const std::vector<uint8_t>& f, size_t i) {
        std::vector<uint8_t> b(32768, 0xFF);
        const size_t n = std::min<size_t>(32768, f.size() - i * 32768);
        std::memcpy(b.data(), f.data() + i * 32768, n);
        return b;
    };
    ExpectBlockPages(rig, 0, dir, 0xFFFF, 0xFFFF);
    ExpectBlockPages(rig, 1, slice(first, 0), 0xFFFF, 2);
    ExpectBlockPages(rig, 2, slice(first, 1), 1, 256);
    ExpectBlockPages(rig, 256, slice(first, 2), 2, 0xFFFF);
    ExpectBlockPages(rig, 257, slice(second, 0), 0xFFFF, 258);
    ExpectBlockPages(rig, 258, slice(second, 1), 257, 0xFFFF);
}

}  // namespace
