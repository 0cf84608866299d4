// The device operations against the virtual player: refresh, commit, relocation, initialize,
// conversion, format check and file blocks.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "memview/link/ProgressSink.h"
#include "memview/link/tests/DeviceRig.h"

using namespace zanto;
using namespace zanto::testkit;

namespace {

// A directory image for a memory of `total` blocks, checksummed.
std::vector<uint8_t> DirectoryBytes(uint16_t total, uint16_t version,
                                    const std::function<void(DirectoryImage&)>& change = {}) {
    DirectoryImage im;
    MakeEmptyDirectory(im, total, 5000);
    im.SetVersion(version);
    if (change) change(im);
    im.ComputeChecksums();
    return std::vector<uint8_t>(im.Bytes(), im.Bytes() + kDirectoryBytes);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Recorder : ProgressSink {
    std::vector<int> seen;
    std::function<void(int)> then;
    void PostProgress(int percent) override {
        seen.push_back(percent);
        if (then) then(percent);
    }
};

TEST(DeviceOperationsTest, CheckFormatRecognisesEveryState) {
    // 0xE6 chips: 256 blocks each.
    struct Case {
        const char* what;
        MemoryType type;
        std::function<void(DeviceRig&)> prepare;
        bool result;
        FormatState state;
    };
    auto older = [](DeviceRig& r) { r.WriteRaw(0, DirectoryBytes(256, 0x00FF)); };
    auto damaged = [](uint16_t version) {
        return [version](DeviceRig& r) {
            auto bytes = DirectoryBytes(256, version);
            bytes[0x5000] ^= 0x21;  // the body checksum no longer adds up
            r.WriteRaw(0, bytes);
        };
    };
    auto signatureAt = [](uint16_t block, size_t offset) {
        return [block, offset](DeviceRig& r) {
            std::vector<uint8_t> b(kBlockSize, 0x00);
            std::memcpy(b.data() + offset, kCardSignature, sizeof kCardSignature);
            r.WriteRaw(block, b);
        };
    };
    const Case cases[] = {
        {"initialized", MemoryType::Internal,
         [](DeviceRig& r) { ASSERT_TRUE(r.device->InitializeQuick()); }, true,
         FormatState::Formatted},
        {"erased internal", MemoryType::Internal, [](DeviceRig&) {}, true, FormatState::NeedsScan},
        {"damaged internal", MemoryType::Internal, damaged(0x0100), true, FormatState::NeedsScan},
        {"older version", MemoryType::Internal, older, true, FormatState::OlderFormat},
        {"older version card", MemoryType::Card, older, true, FormatState::OlderFormat},
        {"damaged card of this version", MemoryType::Card, damaged(0x0100), true,
         FormatState::NeedsScan},
        {"damaged older card", MemoryType::Card, damaged(0x00FF), true,
         FormatState::OlderFormatDamaged},
        {"other equipment, block 0", MemoryType::Card, signatureAt(0, 0), true,
         FormatState::OtherEquipment},
        {"other equipment, block 1 at 8192", MemoryType::Card, signatureAt(1, 8192), true,
         FormatState::OtherEquipment},
        {"signature off the quarter offsets", MemoryType::Card, signatureAt(0, 8000), false,
         FormatState::Unknown},
        {"erased card", MemoryType::Card, [](DeviceRig&) {}, false, FormatState::Unknown},
        {"player gone", MemoryType::Internal, [](DeviceRig& r) { r.player().DisconnectAfter(0); },
         false, FormatState::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceRig rig({0xE6}, std::vector<uint8_t>{0xE6}, c.type);
        c.prepare(rig);
        FormatState state = FormatState::Formatted;
        EXPECT_EQ(rig.device->CheckFormat(&state), c.result);
        EXPECT_EQ(state, c.state);
    }
}

TEST(DeviceOperationsTest, RefreshReportsWhyADirectoryCannotBeUsed) {
    struct Case {
        const char* what;
        std::vector<uint8_t> block0;
        DeviceError expected;
    };
    const Case cases[] = {
        {"valid", DirectoryBytes(256, 0x0100), DeviceError::None},
        {"older version", DirectoryBytes(256, 0x00FF), DeviceError::UnsupportedVersion},
        {"other total", DirectoryBytes(512, 0x0100), DeviceError::DirectoryChecksum},
        {"relocation outside the memory",
         DirectoryBytes(256, 0x0100, [](DirectoryImage& im) { im.SetRelocation(256); }),
         DeviceError::DirectoryChecksum},
        {"relocation to an erased block",
         DirectoryBytes(256, 0x0100, [](DirectoryImage& im) { im.SetRelocation(9); }),
         DeviceError::PageChecksum},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceRig rig;
        ASSERT_TRUE(rig.WriteRaw(0, c.block0));
        EXPECT_EQ(rig.device->Refresh(), c.expected == DeviceError::None);
        EXPECT_EQ(rig.device->LastError(), c.expected);
        EXPECT_FALSE(rig.device->ImageChanged());
    }
}

TEST(DeviceOperationsTest, CommitLeavesWaitingEntriesOutOfTheWrittenCopy) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    ASSERT_TRUE(d.InitializeQuick());
    ASSERT_TRUE(rig.InLink(d, [&] { return StoreFile(d, "kept.mp3", Pattern(40000, 1)) == 0; }));
    ASSERT_EQ(d.AddEntry("waiting.mp3", 0, 3 * 32768, EntryState::WaitingFile), 1);
    ASSERT_EQ(d.AddEntry("http.mp3", 0, 0, EntryState::WaitingHttp), 2);
    const uint16_t usedLoaded = d.Image().Used();
    const uint16_t reserved = d.Entry(1)->firstBlock;

    ASSERT_TRUE(d.Commit());
    EXPECT_FALSE(d.ImageChanged());
    EXPECT_EQ(d.PlayCount(), 3);  // the loaded image keeps them
    EXPECT_EQ(d.Image().Used(), usedLoaded);
    EXPECT_EQ(d.Image().Usage(reserved), kBlockUsed);

    // A second commit still matches what was written: no mismatch with our own copy.
    EXPECT_TRUE(d.Commit());

    auto other = rig.NewDevice();
    ASSERT_TRUE(other->Refresh());
    EXPECT_EQ(other->PlayCount(), 1);
    EXPECT_EQ(other->Entry(0)->name, "kept.mp3");
    EXPECT_EQ(other->Image().Usage(reserved), kBlockFree);
    EXPECT_EQ(other->Image().Used(), usedLoaded - 3);
    EXPECT_EQ(other->Image().Link(reserved), 0);

    // Another program changes the directory: the loaded copy no longer matches.
    ASSERT_TRUE(other->RenameEntry(0, "renamed.mp3"));
    ASSERT_TRUE(other->Commit());
    EXPECT_FALSE(d.Commit());
    EXPECT_EQ(d.LastError(), DeviceError::ViewMismatch);
}

TEST(DeviceOperationsTest, DirectoryMovesWhenBlockZeroIsBadAndNothingIsOverwritten) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    d.Image().MarkBad(0);
    ASSERT_TRUE(d.InitializeQuick());
    const uint16_t first = d.Image().DirectoryBlock();
    EXPECT_NE(first, 0);
    // The loaded image holds the checksums of the copy that is in force: a commit matches.
    ASSERT_TRUE(d.Commit()) << DeviceErrorName(d.LastError());
    ASSERT_NE(d.Image().DirectoryBlock(), first);
    ASSERT_TRUE(d.Commit());
    ASSERT_EQ(d.Image().DirectoryBlock(), first);  // back and forth between two blocks

    // Block 0 names the moved copy; the moved copy names none.
    DirectoryImage raw0, rawR;
    auto b0 = rig.BlockData(0), bR = rig.BlockData(first);
    std::memcpy(raw0.Bytes(), b0.data(), kDirectoryBytes);
    std::memcpy(rawR.Bytes(), bR.data(), kDirectoryBytes);
    EXPECT_EQ(raw0.Relocation(), first);
    EXPECT_TRUE(raw0.ChecksumsValid());
    EXPECT_EQ(rawR.Relocation(), kNoBlock);
    EXPECT_TRUE(rawR.ChecksumsValid());
    EXPECT_EQ(rawR.Usage(0), kBlockBad);
    EXPECT_EQ(rawR.Usage(first), kBlockUsed);

    // Several files, each committed as a download does; each commit moves the directory to a
    // fresh block and gives the old one back.
    std::vector<std::vector<uint8_t>> files = {Pattern(40000, 1), Pattern(70000, 2),
                                               Pattern(32768, 3), Pattern(5, 4)};
    ASSERT_TRUE(rig.InLink(d, [&] {
        for (size_t i = 0; i < files.size(); ++i) {
            if (StoreFile(d, "f" + std::to_string(i), files[i]) != int(i)) return false;
            const uint16_t dir = d.Image().DirectoryBlock();
            EXPECT_EQ(d.Image().Usage(dir), kBlockUsed);
            for (int e = 0; e <= int(i); ++e) {
                for (uint16_t b = d.Entry(e)->firstBlock; b != 0; b = d.Image().Link(b))
                    EXPECT_NE(b, dir) << "file " << e << " runs through the directory";
            }
        }
        return true;
    }));

    auto fresh = rig.NewDevice();
    ASSERT_TRUE(fresh->Refresh()) << DeviceErrorName(fresh->LastError());
    const DirectoryImage& im = fresh->Image();
    EXPECT_EQ(im.DirectoryBlock(), d.Image().DirectoryBlock());
    // Used blocks: the directory and the files' blocks, nothing leaked.
    EXPECT_EQ(im.Used(), 1 + 2 + 3 + 1 + 1);
    EXPECT_EQ(im.BadCount(), 1);
    EXPECT_EQ(uint32_t(im.Used()) + im.FreeCount() + im.BadCount(), im.Total());
    ASSERT_TRUE(rig.InLink(*fresh, [&] {
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string out = rig.dir() / ("out" + std::to_string(i));
            if (!fresh->ReadFileToPath(int(i), out)) return false;
            EXPECT_EQ(ReadFile(out), files[i]) << i;
        }
        return true;
    }));
}

TEST(DeviceOperationsTest, DirectoryWriteMovesOnWhenTheChosenBlockIsBad) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    d.Image().MarkBad(0);
    rig.player().FailErase(rig.type(), 1);
    rig.player().FailErase(rig.type(), 2);
    ASSERT_TRUE(d.InitializeQuick());
    EXPECT_EQ(d.Image().DirectoryBlock(), 3);
    EXPECT_EQ(d.Image().Usage(1), kBlockBad);
    EXPECT_EQ(d.Image().Usage(2), kBlockBad);
    auto fresh = rig.NewDevice();
    ASSERT_TRUE(fresh->Refresh());
    EXPECT_EQ(fresh->Image().BadCount(), 3);

    // Nowhere to move to: every other block holds data.
    for (uint16_t b = 4; b < 256; ++b) d.Image().MarkUsed(b);
    EXPECT_FALSE(rig.InLink(d, [&] { return d.CommitImage(); }));
    EXPECT_EQ(d.LastError(), DeviceError::NoSpace);
    EXPECT_TRUE(d.ImageChanged());
    // The directory that was there is untouched.
    auto after = rig.NewDevice();
    ASSERT_TRUE(after->Refresh());
    EXPECT_EQ(after->Image().DirectoryBlock(), 3);
}

TEST(DeviceOperationsTest, PowerCutDuringADirectoryWriteNeverPassesForADirectory) {
    for (bool relocated : {false, true}) {
        SCOPED_TRACE(relocated ? "relocated" : "block 0");
        // How many register operations one commit takes.
        uint64_t span = 0;
        {
            DeviceRig rig;
            if (relocated) rig.device->Image().MarkBad(0);
            ASSERT_TRUE(rig.device->InitializeQuick());
            rig.player().ResetCounters();
            ASSERT_TRUE(rig.InLink(*rig.device, [&] { return rig.device->CommitImage(); }));
            span = rig.player().RegisterReads() + rig.player().RegisterWrites();
        }
        ASSERT_GT(span, 1000u);
        int oldSeen = 0, newSeen = 0, errors = 0;
        for (uint64_t cut = 1; cut < span; cut += span / 23) {
            DeviceRig rig;
            MemoryDevice& d = *rig.device;
            if (relocated) d.Image().MarkBad(0);
            ASSERT_TRUE(d.InitializeQuick());
            ASSERT_TRUE(rig.InLink(d, [&] { return StoreFile(d, "a", Pattern(100, 1)) == 0; }));
            ASSERT_EQ(d.AddEntry("b", 0, 0, EntryState::Stored), 1);
            rig.player().PowerCutAfter(cut);
            rig.InLink(d, [&] { return d.CommitImage(); });
            rig.player().Reconnect();

            auto fresh = rig.NewDevice();
            if (fresh->Refresh()) {
                const DirectoryImage& im = fresh->Image();
                EXPECT_TRUE(im.ChecksumsValid());
                EXPECT_EQ(uint32_t(im.Used()) + im.FreeCount() + im.BadCount(), im.Total());
                ASSERT_GE(im.PlayCount(), 1);
                EXPECT_EQ(im.Entry(0)->name, "a");
                if (im.PlayCount() == 2) {
                    EXPECT_EQ(im.Entry(1)->name, "b");
                    ++newSeen;
                } else {
                    EXPECT_EQ(im.PlayCount(), 1);
                    ++oldSeen;
                }
            } else {
                const DeviceError e = fresh->LastError();
                EXPECT_TRUE(e == DeviceError::PageChecksum || e == DeviceError::DirectoryChecksum)
                    << DeviceErrorName(e);
                ++errors;
            }
        }
        EXPECT_GT(oldSeen + newSeen + errors, 20);
        // A moved directory is written to a new block before block 0 points at it, so a cut
        // during that write leaves the old directory readable.
        if (relocated) {
            EXPECT_GT(oldSeen, 5);
        }
    }
}

TEST(DeviceOperationsTest, InitializeWithScanMarksFactoryBadBlocks) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    rig.player().MarkFactoryBad(rig.type(), 0);
    rig.player().MarkFactoryBad(rig.type(), 77);
    d.Image().MarkBad(100);  // an old mark that a scan must not carry over
    Recorder progress;
    ASSERT_TRUE(d.InitializeWithScan(&progress));
    EXPECT_EQ(progress.seen.size(), 256u);
    EXPECT_EQ(progress.seen.back(), 100);
    EXPECT_EQ(d.Progress(), 100);
    auto fresh = rig.NewDevice();
    ASSERT_TRUE(fresh->Refresh());
    const DirectoryImage& im = fresh->Image();
    EXPECT_EQ(im.Usage(0), kBlockBad);
    EXPECT_EQ(im.Usage(77), kBlockBad);
    EXPECT_EQ(im.Usage(100), kBlockFree);
    EXPECT_EQ(im.BadCount(), 2);
    EXPECT_EQ(im.Used(), 1);  // the moved directory
    EXPECT_NE(im.DirectoryBlock(), 0);

    // Cancelled half-way: nothing is written.
    DeviceRig other;
    Recorder stop;
    stop.then = [&](int p) {
        if (p >= 50) other.device->CancelEvent().Set();
    };
    EXPECT_FALSE(other.device->InitializeWithScan(&stop));
    EXPECT_EQ(other.device->LastError(), DeviceError::Cancelled);
    auto check = other.NewDevice();
    EXPECT_FALSE(check->Refresh());
}

TEST(DeviceOperationsTest, ConversionOfAnOlderFormatAndItsInterruption) {
    struct Case {
        const char* what;
        bool damaged;
        bool powerCut;  // else cancelled by the user
    };
    for (const Case& c : {Case{"older version", false, false},
                          Case{"older version, damaged", true, false},
                          Case{"older version, power cut", false, true},
                          Case{"older version, damaged, power cut", true, true}}) {
        SCOPED_TRACE(c.what);
        DeviceRig rig;
        auto dir = DirectoryBytes(256, 0x00FF, [](DirectoryImage& im) {
            im.MarkBad(40);
            im.SetPlayCount(1);
        });
        if (c.damaged) dir[0x6000] ^= 1;
        ASSERT_TRUE(rig.WriteRaw(0, dir));
        ASSERT_TRUE(rig.WriteRaw(12, Pattern(kBlockSize, 9)));

        // Interrupted half-way: still recognised as older format, so it can be run again.
        Recorder stop;
        bool cut = false;
        stop.then = [&](int p) {
            if (p < 50 || cut) return;
            cut = true;
            if (c.powerCut) {
                rig.player().PowerCutAfter(50000);  // inside the next block's fill
            } else {
                rig.device->CancelEvent().Set();
            }
        };
        EXPECT_FALSE(rig.device->ConvertFormat(&stop));
        EXPECT_EQ(rig.device->LastError(),
                  c.powerCut ? DeviceError::NotConnected : DeviceError::Cancelled);
        rig.player().Reconnect();
        FormatState state = FormatState::Unknown;
        ASSERT_TRUE(rig.NewDevice()->CheckFormat(&state));
        EXPECT_EQ(state, FormatState::OlderFormat);

        Recorder progress;
        ASSERT_TRUE(rig.device->ConvertFormat(&progress)) << DeviceErrorName(rig.device->LastError());
        EXPECT_EQ(progress.seen.back(), 100);
        ASSERT_TRUE(rig.NewDevice()->CheckFormat(&state));
        EXPECT_EQ(state, FormatState::Formatted);
        auto fresh = rig.NewDevice();
        ASSERT_TRUE(fresh->Refresh());
        EXPECT_EQ(fresh->PlayCount(), 0);
        EXPECT_EQ(fresh->Image().Version(), kFormatVersion);
        EXPECT_EQ(fresh->Image().Usage(40), c.damaged ? kBlockBad : kBlockBad);
        // Old data is cleared; the bad block carries a bad mark the scan will see.
        EXPECT_EQ(rig.BlockData(12), std::vector<uint8_t>(kBlockSize, 0xFF));
        EXPECT_NE(rig.Spare(40, 0)[5], 0xFF);
    }
}

TEST(DeviceOperationsTest, WriteChainBlockMovesPastBadBlocksAndRelinksThePrevious) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    ASSERT_TRUE(d.InitializeQuick());
    auto one = Pattern(kBlockSize, 1), two = Pattern(kBlockSize, 2);
    // Block 1 takes the first chunk; blocks 2 and 3 fail; the second chunk lands on 4.
    rig.player().FailVerify(rig.type(), 2, 100);
    rig.player().FailProgram(rig.type(), 3);
    ASSERT_TRUE(rig.InLink(d, [&] {
        uint16_t block = 1, next = 0;
        if (!d.WriteChainBlock(block, one.data(), &next)) return false;
        EXPECT_EQ(block, 1);
        EXPECT_EQ(next, 2);
        block = next;
        if (!d.WriteChainBlock(block, two.data(), nullptr)) return false;
        EXPECT_EQ(block, 4);
        return true;
    }));
    EXPECT_EQ(d.Image().Link(1), 4);
    EXPECT_EQ(d.Image().Link(4), 0);
    EXPECT_EQ(d.Image().Usage(2), kBlockBad);
    EXPECT_EQ(d.Image().Usage(3), kBlockBad);
    EXPECT_EQ(rig.BlockData(4), two);
    EXPECT_EQ(rig.BlockData(1), one);
    // Block 1's link page now names block 4 as its next block.
    const uint8_t* spare = rig.Spare(1, 63);
    const uint8_t nextAddress[6] = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00};  // page 256 = 64 x 4
    EXPECT_EQ(0, std::memcmp(spare, nextAddress, 6));

    // Ten bad blocks in a row give up.
    DeviceRig worse;
    ASSERT_TRUE(worse.device->InitializeQuick());
    for (uint16_t b = 1; b <= 10; ++b) worse.player().FailProgram(worse.type(), b);
    ASSERT_FALSE(worse.InLink(*worse.device, [&] {
        uint16_t block = 1;
        return worse.device->WriteChainBlock(block, one.data(), nullptr);
    }));
    EXPECT_EQ(worse.device->LastError(), DeviceError::BadBlock);
    EXPECT_EQ(worse.device->Image().BadCount(), 10);
}

TEST(DeviceOperationsTest, ReadFileToPathFollowsTheChainSafely) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    ASSERT_TRUE(d.InitializeQuick());
    const auto exact = Pattern(65536, 3), odd = Pattern(70000, 4);
    ASSERT_TRUE(rig.InLink(d, [&] {
        return StoreFile(d, "exact", exact) == 0 && StoreFile(d, "odd", odd) == 1;
    }));
    const std::string out = rig.dir() / "out.bin";
    Recorder progress;
    ASSERT_TRUE(rig.InLink(d, [&] { return d.ReadFileToPath(0, out, &progress); }));
    EXPECT_EQ(ReadFile(out), exact);
    EXPECT_EQ(progress.seen, (std::vector<int>{50, 100}));
    EXPECT_TRUE(d.DoneEvent().IsSet());
    EXPECT_EQ(d.Progress(), 0);
    ASSERT_TRUE(rig.InLink(d, [&] { return d.ReadFileToPath(1, out); }));
    EXPECT_EQ(ReadFile(out), odd);

    // Corrupt chains from the player: a loop and a link past the memory end with an error and
    // leave no partial file.
    struct Case {
        const char* what;
        uint16_t link;
    };
    for (const Case& c : {Case{"loop", 0}, Case{"past the memory", 300}, Case{"past the table", 9000}}) {
        SCOPED_TRACE(c.what);
        DirectoryImage& im = d.Image();
        FileEntry e = *im.Entry(1);
        const uint16_t second = im.Link(e.firstBlock);
        const uint16_t saved = im.Link(second);
        im.SetLink(second, c.link == 0 ? e.firstBlock : c.link);
        e.size = 10 * 32768;
        im.StoreEntry(1, e);
        EXPECT_FALSE(rig.InLink(d, [&] { return d.ReadFileToPath(1, out); }));
        EXPECT_NE(d.LastError(), DeviceError::None);
        EXPECT_FALSE(std::ifstream(out).good());
        d.ClearError();
        im.SetLink(second, saved);
        e.size = 70000;
        im.StoreEntry(1, e);
    }

    EXPECT_FALSE(d.ReadFileToPath(1, rig.dir() / "no/such/folder/x"));
    EXPECT_EQ(d.LastError(), DeviceError::CannotOpenFile);
}

// Directories that pass their checksums but whose contents are garbage: every operation on them
// ends, stays inside its tables and leaves counts that add up.
TEST(DeviceOperationsTest, CorruptButChecksummedDirectoriesAreHandledSafely) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        DeviceRig rig;
        auto bytes = DirectoryBytes(256, 0x0100, [&](DirectoryImage& im) {
            for (size_t i = 0x200; i < kDirectoryBytes; ++i) im.Bytes()[i] = uint8_t(next());
            // Links mostly inside the memory so that chains are long and loop.
            for (uint32_t b = 0; b < 8192; ++b) im.SetLink(b, uint16_t(next() % (round < 3 ? 256 : 65536)));
            im.SetPlayCount(int(next() % 256));
            im.SetDataCount(int(next() % 256));
            im.SetUsed(uint16_t(next()));
            im.SetFreeCount(uint16_t(next()));
        });
        ASSERT_TRUE(rig.WriteRaw(0, bytes));
        MemoryDevice& d = *rig.device;
        ASSERT_TRUE(d.Refresh()) << DeviceErrorName(d.LastError());
        EXPECT_LE(d.PlayCount(), 50);
        EXPECT_LE(d.DataCount(), 10);
        ASSERT_TRUE(rig.InLink(d, [&] {
            for (int i : {0, 1, 50}) {
                if (!d.Image().IsValidIndex(i)) continue;
                d.ReadFileToPath(i, rig.dir() / "out");
                d.ClearError();
            }
            return true;
        }));
        const int added = d.AddEntry("new", 0, 3 * 32768, EntryState::WaitingFile);
        if (added >= 0) {
            // Reserved inside the memory, never on block 0.
            int blocks = 0;
            for (uint16_t b = d.Entry(added)->firstBlock; b != 0 && blocks < 10; b = d.Image().Link(b)) {
                EXPECT_LT(b, 256);
                ++blocks;
            }
            EXPECT_EQ(blocks, 3);
        }
        d.ClearError();
        d.MoveEntry(0, 55);
        d.SwapEntries(1, 50);
        while (d.PlayCount() > 0) d.DeleteEntry(0);
        while (d.DataCount() > 0) d.DeleteEntry(50);
        EXPECT_EQ(d.PlayCount() + d.DataCount(), 0);
        // A map with no free block leaves nowhere to move the directory: a clear error, and the
        // directory on the memory stays readable either way.
        if (!d.Commit()) {
            EXPECT_EQ(d.LastError(), DeviceError::NoSpace);
        }
        EXPECT_TRUE(rig.NewDevice()->Refresh());
    }
}

TEST(DeviceOperationsTest, AddFileMakesWaitingEntries) {
    DeviceRig rig;
    MemoryDevice& d = *rig.device;
    ASSERT_TRUE(d.InitializeQuick());
    const std::string song = rig.dir() / "song.bin";
    {
        std::ofstream(song, std::ios::binary).write(std::string(100001, 'x').data(), 100001);
    }
    std::ofstream(rig.dir() / ".hidden") << "x";
    const uint16_t freeBefore = d.Image().FreeCount();

    int http = d.AddFile("http://example.invalid/dir/song.mp3");
    ASSERT_EQ(http, 0);
    EXPECT_EQ(d.Entry(0)->name, "song.mp3");
    EXPECT_EQ(d.EntryStateOf(0), 6);
    EXPECT_EQ(d.Entry(0)->blocks, 0);

    int local = d.AddFile(song);
    ASSERT_EQ(local, 1);
    EXPECT_EQ(d.EntryStateOf(1), 2);
    EXPECT_EQ(d.Entry(1)->blocks, 4);
    EXPECT_EQ(d.Entry(1)->header < 0xFFF00000u, true);  // not MPEG audio
    EXPECT_EQ(d.Image().FreeCount(), freeBefore - 4);
    EXPECT_EQ(d.Entry(1)->firstBlock, 1);  // the lowest free blocks, chained upwards
    EXPECT_EQ(d.Image().Link(1), 2);
    EXPECT_EQ(d.Image().Link(4), 0);

    ASSERT_EQ(d.AddFile("https://example.invalid/a/b%20c.mp3"), 2);
    EXPECT_EQ(d.EntryStateOf(2), 6);
    EXPECT_EQ(d.Entry(2)->name, "b%20c.mp3");
    EXPECT_TRUE(d.ImageChanged());

    for (const std::string& bad : {rig.dir() / "missing", rig.dir().Path(), rig.dir() / ".hidden",
                                   std::string("/dev/null"), std::string("HTTP://upper/case")}) {
        d.ClearError();
        EXPECT_EQ(d.AddFile(bad), -1) << bad;
        EXPECT_EQ(d.LastError(), DeviceError::CannotOpenFile) << bad;
    }
    EXPECT_EQ(d.PlayCount(), 3);
}

}  // namespace
