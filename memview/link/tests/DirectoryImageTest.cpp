// The directory block's layout and bookkeeping, without a device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "memview/link/DirectoryImage.h"
#include "memview/link/FormatCheck.h"

using namespace zanto;

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Sums 16-bit little-endian words independently of the library's helper.
uint16_t SumWords(const uint8_t* p, size_t bytes) {
    uint32_t s = 0;
    for (size_t i = 0; i < bytes; i += 2) s += Le16(p + i);
    return static_cast<uint16_t>(s);
}

// An empty directory of a 1536-block memory.
DirectoryImage EmptyImage(uint16_t total = 1536) {
    DirectoryImage image;
    MakeEmptyDirectory(image, total, 1000);
    image.SetChanged(false);
    return image;
}

bool CountsAddUp(const DirectoryImage& im) {
    return uint32_t(im.Used()) + im.FreeCount() + im.BadCount() == im.Total();
}

FileEntry Named(const std::string& name, uint32_t size = 0) {
    FileEntry e;
    e.name = name;
    e.size = size;
    return e;
}

// Play list of n entries named p0.., data list of m entries named d0..
DirectoryImage WithLists(int n, int m) {
    DirectoryImage im = EmptyImage();
    for (int i = 0; i < n; ++i) Named("p" + std::to_string(i)).Encode(im.Record(i));
    for (int i = 0; i < m; ++i) Named("d" + std::to_string(i)).Encode(im.Record(50 + i));
    im.SetPlayCount(n);
    im.SetDataCount(m);
    return im;
}

std::vector<std::string> Names(const DirectoryImage& im) {
    std::vector<std::string> out;
    for (int i = 0; i < im.PlayCount(); ++i) out.push_back(im.Entry(i)->name);
    out.push_back("|");
    for (int i = 0; i < im.DataCount(); ++i) out.push_back(im.Entry(50 + i)->name);
    return out;
}

TEST(DirectoryImageTest, ChecksumsMakeHeaderAndBodyAddUpToZero) {
    DirectoryImage im = EmptyImage();
    im.SetLink(7, 8);
    Named("song.mp3", 1234).Encode(im.Record(0));
    im.SetPlayCount(1);
    im.ComputeChecksums();
    const uint8_t* b = im.Bytes();
    EXPECT_EQ(SumWords(b, 512), 0);
    EXPECT_EQ(static_cast<uint16_t>(SumWords(b + 512, 32768 - 512) + Le16(b + 0x10)), 0);
    EXPECT_TRUE(im.ChecksumsValid());

    // The body checksum is part of the header sum: a changed body word fails both.
    DirectoryImage body = im;
    body.Bytes()[0x4000 + 2 * 9] ^= 1;
    EXPECT_FALSE(body.ChecksumsValid());
    DirectoryImage header = im;
    header.Bytes()[0x16] = 1;
    EXPECT_FALSE(header.ChecksumsValid());
    EXPECT_FALSE(header.HeaderSumsToZero());
}

TEST(DirectoryImageTest, BookkeepingKeepsTheCountsConsistent) {
    struct Case {
        uint8_t start;
        void (DirectoryImage::*mark)(uint32_t);
        uint8_t expected;
    };
    const Case cases[] = {
        {kBlockFree, &DirectoryImage::MarkUsed, kBlockUsed},
        {kBlockBad, &DirectoryImage::MarkUsed, kBlockUsed},
        {kBlockUsed, &DirectoryImage::MarkUsed, kBlockUsed},
        {kBlockUsed, &DirectoryImage::MarkFree, kBlockFree},
        {kBlockFree, &DirectoryImage::MarkFree, kBlockFree},
        {kBlockBad, &DirectoryImage::MarkFree, kBlockBad},  // stays bad until a scan
        {kBlockUsed, &DirectoryImage::MarkBad, kBlockBad},
        {kBlockFree, &DirectoryImage::MarkBad, kBlockBad},
        {kBlockBad, &DirectoryImage::MarkBad, kBlockBad},
    };
    for (const auto& c : cases) {
        DirectoryImage im = EmptyImage(100);
        if (c.start == kBlockUsed) im.MarkUsed(5);
        if (c.start == kBlockBad) im.MarkBad(5);
        im.SetChanged(false);
        (im.*c.mark)(5);
        EXPECT_EQ(im.Usage(5), c.expected) << int(c.start);
        EXPECT_TRUE(CountsAddUp(im)) << int(c.start);
        EXPECT_TRUE(im.Changed());
    }
    DirectoryImage im = EmptyImage(100);
    im.MarkUsed(5);
    EXPECT_EQ(im.Used(), 2);
    EXPECT_EQ(im.FreeCount(), 98);
    // Out of the table: nothing happens and nothing is indexed.
    im.MarkUsed(8192);
    im.MarkBad(65535);
    im.SetLink(9000, 3);
    EXPECT_EQ(im.Usage(8192), kBlockBad);
    EXPECT_EQ(im.Link(9000), 0);
    EXPECT_EQ(im.Used(), 2);
}

TEST(DirectoryImageTest, FreeChainEndsOnCorruptChains) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint16_t, uint16_t>> links;
        uint16_t first;
        std::vector<uint16_t> freed;
    };
    const Case cases[] = {
        {"plain chain", {{3, 4}, {4, 9}, {9, 0}}, 3, {3, 4, 9}},
        {"loop back to the start", {{3, 4}, {4, 5}, {5, 3}}, 3, {3, 4, 5}},
        {"self loop", {{6, 6}}, 6, {6}},
        {"link past the table", {{3, 9000}}, 3, {3}},
        {"link past the memory", {{3, 5000}}, 3, {3}},
        {"first block out of range", {}, 9999, {}},
    };
    for (const auto& c : cases) {
        DirectoryImage im = EmptyImage(1536);
        for (auto [b, next] : c.links) {
            im.MarkUsed(b);
            im.SetLink(b, next);
        }
        const uint16_t freeBefore = im.FreeCount();
        im.FreeChain(c.first);
        for (uint16_t b : c.freed) {
            EXPECT_EQ(im.Usage(b), kBlockFree) << c.what << " block " << b;
            EXPECT_EQ(im.Link(b), 0) << c.what;
        }
        EXPECT_EQ(im.FreeCount(), freeBefore + c.freed.size()) << c.what;
        EXPECT_TRUE(CountsAddUp(im)) << c.what;
    }
}

TEST(DirectoryImageTest, FreeChainNeverFreesTheDirectoryBlockOrABadBlock) {
    DirectoryImage im = EmptyImage(1536);
    im.SetDirectoryBlock(7);
    im.MarkUsed(7);
    im.MarkUsed(3);
    im.MarkBad(4);
    im.SetLink(3, 4);
    im.SetLink(4, 7);
    im.SetLink(7, 0);
    im.FreeChain(3);
    EXPECT_EQ(im.Usage(3), kBlockFree);
    EXPECT_EQ(im.Usage(4), kBlockBad);
    EXPECT_EQ(im.Usage(7), kBlockUsed);
    EXPECT_TRUE(CountsAddUp(im));
    EXPECT_NE(im.FirstFree(), 7);
}

TEST(DirectoryImageTest, FirstFreeAndPredecessor) {
    DirectoryImage im = EmptyImage(10);
    EXPECT_EQ(im.FirstFree(), 1);
    for (uint16_t b = 1; b < 9; ++b) im.MarkUsed(b);
    EXPECT_EQ(im.FirstFree(), 9);
    im.MarkBad(9);
    EXPECT_EQ(im.FirstFree(), kNoBlock);
    // Entries past the total never count, even when the map marks them free.
    EXPECT_EQ(im.Usage(10), kBlockFree);
    // Block 0 is never handed out as file data.
    DirectoryImage noDir = EmptyImage(10);
    noDir.SetUsage(0, kBlockFree);
    EXPECT_EQ(noDir.FirstFree(), 1);
    // A corrupt total does not reach past the map.
    DirectoryImage corrupt = EmptyImage(10);
    corrupt.SetTotal(0xFFFF);
    for (uint16_t b = 1; b < 8192; ++b) corrupt.SetUsage(b, kBlockUsed);
    EXPECT_EQ(corrupt.FirstFree(), kNoBlock);

    im.SetLink(2, 5);
    im.SetLink(8191, 6);
    EXPECT_EQ(im.Predecessor(5), 2);
    EXPECT_EQ(im.Predecessor(6), 8191);
    EXPECT_EQ(im.Predecessor(3), kNoBlock);
    EXPECT_EQ(im.Predecessor(0), 0);
}

TEST(DirectoryImageTest, EntryIndexesFollowTheListCounts) {
    DirectoryImage im = WithLists(3, 2);
    for (int i : {0, 1, 2, 50, 51}) EXPECT_TRUE(im.IsValidIndex(i)) << i;
    for (int i : {-1, 3, 49, 52, 59, 60}) {
        EXPECT_FALSE(im.IsValidIndex(i)) << i;
        EXPECT_FALSE(im.Entry(i).has_value()) << i;
        EXPECT_EQ(im.StateOf(i), 0xFF) << i;
        EXPECT_FALSE(im.SetHostSlot(i, 1)) << i;
    }
    ASSERT_TRUE(im.SetHostSlot(51, 0xA1B2C3D4));
    EXPECT_EQ(*im.HostSlot(51), 0xA1B2C3D4u);
    EXPECT_EQ(im.Record(51)[11], 0xD4);

    // Counts read from a memory are bounded to the list sizes.
    DirectoryImage corrupt = WithLists(0, 0);
    corrupt.SetPlayCount(200);
    corrupt.SetDataCount(255);
    EXPECT_EQ(corrupt.PlayCount(), 50);
    EXPECT_EQ(corrupt.DataCount(), 10);
    EXPECT_TRUE(corrupt.IsValidIndex(59));
    EXPECT_FALSE(corrupt.IsValidIndex(60));
}

TEST(DirectoryImageTest, RecordsDecodeAndEncodeAtTheirOffsets) {
    FileEntry e;
    e.firstBlock = 0x0102;
    e.blocks = 3;
    e.lastBlockBytes = 32768;
    e.size = 0x00010000;
    e.state = 2;
    e.hostSlot = 0x11223344;
    e.time = 0x55667788;
    e.header = 0xFFFB9044;
    e.name = std::string(120, 'n');
    uint8_t rec[128];
    std::memset(rec, 0xEE, sizeof rec);
    e.Encode(rec);
    const uint8_t expectHead[] = {0x02, 0x01, 3, 0, 0x00, 0x80, 0, 0, 1, 0, 2,
                                  0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55,
                                  0x44, 0x90, 0xFB, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(rec, expectHead, sizeof expectHead));
    EXPECT_EQ(rec[127], 'n');  // cut to 100 bytes, no NUL needed
    FileEntry back = FileEntry::Decode(rec);
    EXPECT_EQ(back.name, std::string(100, 'n'));
    EXPECT_EQ(back.header, 0xFFFB9044u);
    EXPECT_EQ(back.lastBlockBytes, 32768);

    // A 100-byte name without NUL next to the following record reads as 100 bytes.
    DirectoryImage im = WithLists(2, 0);
    std::memset(im.Record(0) + 28, 'x', 100);
    EXPECT_EQ(im.Entry(0)->name.size(), 100u);
}

TEST(DirectoryImageTest, AddEntryReservesTheLowestFreeBlocksInOrder) {
    DirectoryImage im = EmptyImage(1536);
    im.MarkUsed(2);  // a hole in the free blocks
    const uint16_t freeBefore = im.FreeCount();
    DeviceError err = DeviceError::Critical;
    auto n = im.AddEntry("a.mp3", 0xFFFB9044, 100001, 2, 777, &err);
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(*n, 0);
    EXPECT_EQ(err, DeviceError::None);
    FileEntry e = *im.Entry(0);
    EXPECT_EQ(e.blocks, 4);
    EXPECT_EQ(e.firstBlock, 1);
    EXPECT_EQ(e.lastBlockBytes, 100001 % 32768);
    EXPECT_EQ(e.time, 777u);
    EXPECT_EQ(im.Link(1), 3);
    EXPECT_EQ(im.Link(3), 4);
    EXPECT_EQ(im.Link(4), 5);
    EXPECT_EQ(im.Link(5), 0);
    EXPECT_EQ(im.FreeCount(), freeBefore - 4);

    auto exact = im.AddEntry("b.mp3", 0, 65536, 2, 0, &err);
    EXPECT_EQ(im.Entry(*exact)->blocks, 2);
    EXPECT_EQ(im.Entry(*exact)->lastBlockBytes, 0);
    auto empty = im.AddEntry("http://x/y", 0, 0, 6, 0, &err);
    EXPECT_EQ(im.Entry(*empty)->firstBlock, 0);
    EXPECT_EQ(im.Entry(*empty)->blocks, 0);
}

TEST(DirectoryImageTest, AddEntryRefusals) {
    DeviceError err = DeviceError::None;
    DirectoryImage full = WithLists(50, 0);
    EXPECT_FALSE(full.AddEntry("x", 0, 10, 2, 0, &err).has_value());
    EXPECT_EQ(err, DeviceError::TooManyFiles);

    DirectoryImage small = EmptyImage(4);  // three free blocks
    EXPECT_FALSE(small.AddEntry("x", 0, 3 * 32768 + 1, 2, 0, &err).has_value());
    EXPECT_EQ(err, DeviceError::NoSpace);
    EXPECT_EQ(small.PlayCount(), 0);

    // The header promises blocks the map does not have: nothing stays reserved.
    DirectoryImage lying = EmptyImage(4);
    lying.SetUsage(2, kBlockUsed);
    lying.SetUsage(3, kBlockUsed);
    EXPECT_FALSE(lying.AddEntry("x", 0, 2 * 32768, 2, 0, &err).has_value());
    EXPECT_EQ(err, DeviceError::Critical);
    EXPECT_EQ(lying.Usage(1), kBlockFree);
    EXPECT_EQ(lying.Link(1), 0);
    EXPECT_EQ(lying.PlayCount(), 0);
}

TEST(DirectoryImageTest, DeleteEntryFreesItsChainAndClosesTheGap) {
    DirectoryImage im = EmptyImage(1536);
    DeviceError err;
    im.AddEntry("a", 0, 10, 0, 0, &err);
    im.AddEntry("b", 0, 3 * 32768, 0, 0, &err);
    im.AddEntry("c", 0, 10, 0, 0, &err);
    const uint16_t freeBefore = im.FreeCount();
    const FileEntry b = *im.Entry(1);
    EXPECT_TRUE(im.DeleteEntry(1));
    EXPECT_EQ(im.FreeCount(), freeBefore + 3);
    for (uint16_t blk : {uint16_t(2), uint16_t(3), uint16_t(4)}) {
        EXPECT_EQ(im.Link(blk), 0);
        EXPECT_EQ(im.Usage(blk), kBlockFree);
    }
    EXPECT_EQ(b.firstBlock, 2);
    EXPECT_EQ(Names(im), (std::vector<std::string>{"a", "c", "|"}));
    EXPECT_FALSE(im.DeleteEntry(2));
    EXPECT_TRUE(CountsAddUp(im));
}

TEST(DirectoryImageTest, MoveEntryFollowsTheIndexRules) {
    using V = std::vector<std::string>;
    struct Case {
        int from, to;
        bool ok;
        V expected;
    };
    const Case cases[] = {
        {2, 3, true, {"p0", "p1", "p2", "p3", "p4", "p5", "|", "d0", "d1"}},
        {2, 5, true, {"p0", "p1", "p3", "p4", "p2", "p5", "|", "d0", "d1"}},
        {4, 1, true, {"p0", "p4", "p1", "p2", "p3", "p5", "|", "d0", "d1"}},
        {0, 6, true, {"p1", "p2", "p3", "p4", "p5", "p0", "|", "d0", "d1"}},
        {1, 50, true, {"p0", "p2", "p3", "p4", "p5", "|", "p1", "d0", "d1"}},
        {1, 57, true, {"p0", "p2", "p3", "p4", "p5", "|", "d0", "d1", "p1"}},
        {51, 0, true, {"d1", "p0", "p1", "p2", "p3", "p4", "p5", "|", "d0"}},
        {6, 0, false, {"p0", "p1", "p2", "p3", "p4", "p5", "|", "d0", "d1"}},
        {1, 60, false, {"p0", "p1", "p2", "p3", "p4", "p5", "|", "d0", "d1"}},
        {-1, 2, false, {"p0", "p1", "p2", "p3", "p4", "p5", "|", "d0", "d1"}},
    };
    for (const auto& c : cases) {
        DirectoryImage im = WithLists(6, 2);
        EXPECT_EQ(im.MoveEntry(c.from, c.to), c.ok) << c.from << "->" << c.to;
        EXPECT_EQ(Names(im), c.expected) << c.from << "->" << c.to;
    }
    // Into a full list: refused; within a full list: allowed.
    DirectoryImage fullData = WithLists(2, 10);
    EXPECT_FALSE(fullData.MoveEntry(0, 55));
    EXPECT_EQ(fullData.DataCount(), 10);
    EXPECT_TRUE(fullData.MoveEntry(59, 50));
    EXPECT_EQ(fullData.Entry(50)->name, "d9");
}

TEST(DirectoryImageTest, SwapAndRename) {
    DirectoryImage im = WithLists(3, 1);
    EXPECT_TRUE(im.SwapEntries(0, 50));
    EXPECT_EQ(Names(im), (std::vector<std::string>{"d0", "p1", "p2", "|", "p0"}));
    EXPECT_FALSE(im.SwapEntries(0, 51));
    EXPECT_FALSE(im.RenameEntry(3, "x"));
    EXPECT_TRUE(im.RenameEntry(1, std::string(150, 'r')));
    EXPECT_EQ(im.Entry(1)->name, std::string(100, 'r'));
    // Never half a UTF-8 character: 99 bytes and a two-byte character keep the 99.
    EXPECT_TRUE(im.RenameEntry(1, std::string(99, 'r') + "\xC3\xA9"));
    EXPECT_EQ(im.Entry(1)->name, std::string(99, 'r'));
    EXPECT_EQ(CutEntryName(std::string(98, 'r') + "\xC3\xA9"), std::string(98, 'r') + "\xC3\xA9");
    EXPECT_TRUE(im.RenameEntry(1, "short"));
    EXPECT_EQ(im.Entry(1)->name, "short");
    EXPECT_EQ(im.Record(1)[28 + 5], 0);
}

TEST(DirectoryImageTest, MakeEmptyDirectoryKeepsBadMarksBelowTheTotal) {
    DirectoryImage im = EmptyImage(100);
    im.AddEntry("a", 0, 5 * 32768, 0, 0, nullptr);
    im.MarkBad(40);
    im.SetUsage(200, kBlockBad);  // past the new total: dropped
    im.SetRelocation(9);
    MakeEmptyDirectory(im, 100, 4242);
    EXPECT_EQ(im.Total(), 100);
    EXPECT_EQ(im.Used(), 1);
    EXPECT_EQ(im.BadCount(), 1);
    EXPECT_EQ(im.FreeCount(), 98);
    EXPECT_EQ(im.Usage(0), kBlockUsed);
    EXPECT_EQ(im.Usage(40), kBlockBad);
    EXPECT_EQ(im.Usage(200), kBlockFree);
    EXPECT_EQ(im.Link(1), 0);
    EXPECT_EQ(im.PlayCount(), 0);
    EXPECT_EQ(im.Version(), kFormatVersion);
    EXPECT_EQ(im.Relocation(), kNoBlock);
    EXPECT_EQ(im.Time(), 4242u);

    // A bad block 0 stays bad; the directory will have to move.
    DirectoryImage bad0 = EmptyImage(100);
    bad0.MarkBad(0);
    MakeEmptyDirectory(bad0, 100, 0);
    EXPECT_EQ(bad0.Usage(0), kBlockBad);
    EXPECT_EQ(bad0.Used(), 0);
    EXPECT_EQ(bad0.FreeCount(), 99);
}

TEST(DirectoryImageTest, ValidateDirectoryNamesTheFault) {
    auto valid = [] {
        DirectoryImage im = EmptyImage(1536);
        im.ComputeChecksums();
        return im;
    };
    struct Case {
        const char* what;
        void (*change)(DirectoryImage&);
        DeviceError expected;
    };
    const Case cases[] = {
        {"valid", [](DirectoryImage&) {}, DeviceError::None},
        {"erased", [](DirectoryImage& im) { im.Fill(0xFF); }, DeviceError::DirectoryChecksum},
        {"body changed", [](DirectoryImage& im) { im.Bytes()[0x3000] ^= 0x40; },
         DeviceError::DirectoryChecksum},
        {"older version",
         [](DirectoryImage& im) {
             im.SetVersion(0x00FF);
             im.ComputeChecksums();
         },
         DeviceError::UnsupportedVersion},
        {"newer version",
         [](DirectoryImage& im) {
             im.SetVersion(0x0200);
             im.ComputeChecksums();
         },
         DeviceError::UnsupportedVersion},
        {"other total",
         [](DirectoryImage& im) {
             im.SetTotal(1024);
             im.ComputeChecksums();
         },
         DeviceError::DirectoryChecksum},
    };
    for (const auto& c : cases) {
        DirectoryImage im = valid();
        c.change(im);
        EXPECT_EQ(ValidateDirectory(im, 1536), c.expected) << c.what;
    }
}

TEST(FormatCheckTest, UncheckedHeaderClassification) {
    auto header = [](uint16_t version) {
        DirectoryImage im = EmptyImage(1536);
        im.SetVersion(version);
        im.ComputeChecksums();
        im.Bytes()[0x3000] ^= 0x55;  // the body no longer checks
        return im;
    };
    struct Case {
        const char* what;
        DirectoryImage image;
        FormatState expected;
    };
    DirectoryImage badSum = header(0x0100);
    badSum.Bytes()[0x16] = 1;
    DirectoryImage manyFiles = header(0x0100);
    manyFiles.SetPlayCount(51);
    manyFiles.ComputeChecksums();
    DirectoryImage wrapped = header(0x0100);
    wrapped.SetUsed(static_cast<uint16_t>(wrapped.Used() + 0x8000));
    wrapped.SetFreeCount(static_cast<uint16_t>(wrapped.FreeCount() + 0x8000));
    wrapped.ComputeChecksums();
    DirectoryImage erased;
    erased.Fill(0xFF);
    const Case cases[] = {
        {"current version", header(0x0100), FormatState::NeedsScan},
        {"older version", header(0x00FF), FormatState::OlderFormatDamaged},
        {"newer version", header(0x0101), FormatState::Unknown},
        {"header sum", badSum, FormatState::Unknown},
        {"51 play entries", manyFiles, FormatState::Unknown},
        {"counts wrap around", wrapped, FormatState::Unknown},
        {"erased", erased, FormatState::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyUncheckedHeader(c.image, 1536), c.expected) << c.what;
    EXPECT_EQ(ClassifyUncheckedHeader(header(0x0100), 1024), FormatState::Unknown);
}

TEST(FormatCheckTest, CardSignatureOnlyAtQuarterOffsets) {
    for (size_t at : {size_t(0), size_t(8192), size_t(16384), size_t(24576), size_t(100),
                      size_t(32758)}) {
        std::vector<uint8_t> block(32768, 0xFF);
        std::memcpy(block.data() + at, kCardSignature, sizeof kCardSignature);
        EXPECT_EQ(HasCardSignature(block.data()), at % 8192 == 0) << at;
    }
}

TEST(FormatCheckTest, ConversionAppliesToOlderVersionsOnly) {
    struct Case {
        DeviceError error;
        uint16_t version;
        bool applies, wipe;
    };
    const Case cases[] = {
        {DeviceError::UnsupportedVersion, 0x00FF, true, false},
        {DeviceError::DirectoryChecksum, 0x0001, true, true},
        {DeviceError::UnsupportedVersion, 0x0200, false, false},
        {DeviceError::DirectoryChecksum, 0xFFFF, false, false},
        {DeviceError::PageChecksum, 0x00FF, false, false},
        {DeviceError::None, 0x0100, false, false},
    };
    for (const auto& c : cases) {
        ConversionStart s = PlanConversion(c.error, c.version);
        EXPECT_EQ(s.applies, c.applies) << int(c.error) << " " << c.version;
        EXPECT_EQ(s.wipeEntries, c.wipe) << int(c.error) << " " << c.version;
        // An interrupted conversion must still read as older format.
        if (s.applies) {
            EXPECT_LT(s.interimVersion, kFormatVersion);
        }
    }
}

}  // namespace
