// The link protocol against the virtual player at register level: identification, pages, blocks,
// verification, retries, time-outs and the exact register traffic.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "memview/link/BlockLock.h"
#include "memview/link/WordChecksum.h"
#include "memview/link/testing/VirtualRig.h"

using namespace zanto;
using namespace std::chrono_literals;

namespace {

// A fake clock that lets a test act whenever the code under test sleeps.
class HookClock final : public Clock {
public:
    Duration Now() override { return inner.Now(); }
    void Sleep(Duration d) override {
        inner.Sleep(d);
        if (onSleep) onSleep(d);
    }
    int64_t CalendarSeconds() override { return inner.CalendarSeconds(); }
    FakeClock inner;
    std::function<void(Duration)> onSleep;
};

// A device whose cable goes dead from its n-th register operation for a stretch of time: writes
// are lost and the status lines float (ready low).
class LossyDevice final : public MemoryDevice {
public:
    LossyDevice(PortDriver& driver, Clock& clock) : MemoryDevice(driver, clock) {}
    uint8_t ReadRegister(uint16_t offset) override {
        if (Lost()) return offset == kStatusRegister ? 0x77 : 0xFF;
        return MemoryDevice::ReadRegister(offset);
    }
    bool WriteRegister(uint16_t offset, uint8_t value) override {
        if (!Lost()) MemoryDevice::WriteRegister(offset, value);
        return true;
    }
    uint64_t Operations() const { return operations_; }
    uint64_t loseAt = UINT64_MAX;
    Clock::Duration lostFor{};

private:
    bool Lost() {
        if (++operations_ == loseAt) regainAt_ = GetClock().Now() + lostFor;
        return operations_ >= loseAt && GetClock().Now() < regainAt_;
    }
    uint64_t operations_ = 0;
    Clock::Duration regainAt_{};
};

std::vector<uint8_t> Pattern(uint32_t seed) {
    std::vector<uint8_t> data(kBlockSize);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return data;
}

std::array<uint8_t, 16> SpareOf(const uint8_t* raw) {
    std::array<uint8_t, 16> s;
    std::memcpy(s.data(), raw + kPageDataSize, 16);
    return s;
}

std::array<uint8_t, 16> NormalSpare(const uint8_t* data) {
    uint16_t c = WordChecksum(data, kPageDataSize);
    return {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
            static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8), 0xFF, 0xFF};
}

bool PageErased(const uint8_t* raw) {
    for (size_t i = 0; i < kPageRawSize; ++i)
        if (raw[i] != 0xFF) return false;
    return true;
}

}  // namespace

TEST(IdentifyChips, BuildsTheChipTableOfEachLayout) {
    struct Case {
        std::vector<uint8_t> internal;
        std::optional<std::vector<uint8_t>> card;
        MemoryType type;
        std::array<uint8_t, 8> codes;
        uint16_t total;
    };
    const Case cases[] = {
        {{0x75, 0x73}, std::nullopt, MemoryType::Internal, {0x75, 0x73}, 1536},
        {{0x73, 0xE6}, std::nullopt, MemoryType::Internal, {0x73, 0xE6}, 768},
        {{0x00, 0xE6, 0x00, 0xE6}, std::nullopt, MemoryType::Internal, {0, 0xE6, 0, 0xE6}, 512},
        {{0xE6}, std::vector<uint8_t>{0x73, 0xE6}, MemoryType::Card, {0x73, 0xE6}, 768},
        {{0xE6}, std::vector<uint8_t>{0x00, 0xE6}, MemoryType::Card, {0x00, 0xE6}, 256},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig(c.internal, c.card, c.type);
        ASSERT_TRUE(rig.Open()) << DeviceErrorName(rig.Device().LastError());
        EXPECT_EQ(rig.Device().Chips().codes, c.codes);
        EXPECT_EQ(rig.Device().TotalBlocks(), c.total);
        EXPECT_EQ(rig.Device().LastError(), DeviceError::None);
        rig.Close();
    }
}

TEST(IdentifyChips, NeedsTwoPassesThatSeeChips) {
    // Whether the card answers in pass 1, 2, ...; beyond the list it does not.
    struct Case {
        std::vector<bool> present;
        bool ok;
        int passes;
    };
    const Case cases[] = {
        {{true, true}, true, 2},
        {{false, true, true}, true, 3},
        {{false, false, false, false, true, true}, true, 6},
        {{false, false, false, false, false, true}, false, 5},  // five blank passes end it
        {{true, false, true}, true, 3},
        {{true, false, false, false, true}, true, 5},
        {{true, false, false, false, false, true}, false, 5},   // four more after the first
        {{false, false, false, false, true, false, false, false, true}, true, 9},
        {{false, false, false, false, true, false, false, false, false, true}, false, 9},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6}, std::vector<uint8_t>{0x73}, MemoryType::Card);
        HookClock clock;
        MemoryDevice d(*rig.driver, clock);
        d.SetPort(kVirtualPortBase);
        d.SetMemoryType(MemoryType::Card);
        ASSERT_TRUE(d.OpenLink());
        int passes = 0;
        rig.Player().SetCardRemoved(!c.present[0]);
        clock.onSleep = [&](Clock::Duration slept) {
            if (slept != 500ms) return;
            ++passes;
            bool next = passes < static_cast<int>(c.present.size()) && c.present[passes];
            rig.Player().SetCardRemoved(!next);
        };
        EXPECT_EQ(d.IdentifyChips(), c.ok) << "case with " << c.present.size() << " entries";
        EXPECT_EQ(passes, c.passes);
        EXPECT_EQ(d.LastError(), c.ok ? DeviceError::None : DeviceError::NoFlash);
        EXPECT_EQ(d.TotalBlocks(), c.ok ? 512 : 0);
        d.CloseLink();
    }
}

TEST(IdentifyChips, AMemoryWithoutChipsHasNoFlash) {
    struct Case {
        std::optional<std::vector<uint8_t>> card;
        bool removed;
    };
    const Case cases[] = {{std::nullopt, false}, {std::vector<uint8_t>{0x75}, true},
                          {std::vector<uint8_t>{0x00, 0x00}, false}};
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6}, c.card, MemoryType::Card);
        rig.Player().SetCardRemoved(c.removed);
        ASSERT_TRUE(rig.Device().OpenLink());  // the player itself answers
        EXPECT_FALSE(rig.Device().IdentifyChips());
        EXPECT_EQ(rig.Device().LastError(), DeviceError::NoFlash);
        EXPECT_EQ(rig.clock.TotalSlept(), 5 * 500ms);
        rig.Close();
    }
}

TEST(Blocks, WriteAndReadBackOnEveryChipPosition) {
    testkit::VirtualRig rig({0x73, 0xE6});
    ASSERT_TRUE(rig.Open());
    MemoryDevice& d = rig.Device();
    VirtualFlashImage& image = rig.Player().Image(MemoryType::Internal);
    struct Case {
        uint16_t block;
        size_t position;
        uint32_t firstPage;  // page index within the chip
    };
    const Case cases[] = {{0, 0, 0}, {511, 0, 511 * 64}, {512, 1, 0}, {600, 1, 88 * 64},
                          {767, 1, 255 * 64}};
    for (const auto& c : cases) {
        auto data = Pattern(c.block);
        ASSERT_TRUE(d.WriteBlock(c.block, data.data(), kNoNeighbour, kNoNeighbour))
            << c.block << " " << DeviceErrorName(d.LastError());
        for (size_t k = 0; k < kPagesPerBlock; ++k) {
            const uint8_t* raw = image.Page(c.position, c.firstPage + static_cast<uint32_t>(k));
            ASSERT_NE(raw, nullptr);
            EXPECT_EQ(std::memcmp(raw, data.data() + k * kPageDataSize, kPageDataSize), 0)
                << "block " << c.block << " page " << k;
        }
        std::vector<uint8_t> back(kBlockSize);
        ASSERT_TRUE(d.ReadBlock(c.block, back.data(), true)) << DeviceErrorName(d.LastError());
        EXPECT_EQ(back, data) << c.block;
    }
    rig.Close();
}

TEST(Blocks, SparesCarryChecksumsAndTheFilesNeighbours) {
    struct Case {
        uint16_t previous;
        uint16_t next;
        std::array<uint8_t, 6> nextBytes;
        std::array<uint8_t, 6> previousBytes;
        std::array<uint8_t, 2> previousInChip;
    };
    const std::array<uint8_t, 6> none = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Case cases[] = {
        {kNoNeighbour, kNoNeighbour, none, none, {0xFF, 0xFF}},
        // A middle block: blocks 4 and 6 of a 0x75 chip (page addresses 256 and 384).
        {4, 6, {0x00, 0x80, 0x01, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x01, 0x00, 0x00, 0x00}, {0x00, 0x04}},
        {kNoNeighbour, 6, {0x00, 0x80, 0x01, 0x00, 0x00, 0x00}, none, {0xFF, 0xFF}},  // first
        {1027, kNoNeighbour, none, {0x00, 0xC0, 0x00, 0x00, 0x01, 0x01}, {0x00, 0x03}},  // last
    };
    testkit::VirtualRig rig({0x75, 0x73});
    ASSERT_TRUE(rig.Open());
    for (const auto& c : cases) {
        auto data = Pattern(c.previous ^ c.next);
        ASSERT_TRUE(rig.Device().WriteBlock(5, data.data(), c.previous, c.next));
        for (size_t k = 0; k + 1 < kPagesPerBlock; ++k)
            EXPECT_EQ(SpareOf(rig.Player().BlockPage(MemoryType::Internal, 5, k)),
                      NormalSpare(data.data() + k * kPageDataSize)) << k;
        auto link = SpareOf(rig.Player().BlockPage(MemoryType::Internal, 5, 63));
        const uint8_t* last = data.data() + 63 * kPageDataSize;
        EXPECT_TRUE(std::equal(c.nextBytes.begin(), c.nextBytes.end(), link.begin()));
        EXPECT_TRUE(std::equal(c.previousBytes.begin(), c.previousBytes.end(), link.begin() + 6));
        EXPECT_TRUE(ChecksumPasses(last, kPageDataSize, static_cast<uint16_t>(link[12] | (link[13] << 8))));
        EXPECT_EQ(link[14], c.previousInChip[0]);
        EXPECT_EQ(link[15], c.previousInChip[1]);
    }
    // A block of 0xFF carries checksum 00 01 in every spare.
    std::vector<uint8_t> ones(kBlockSize, 0xFF);
    ASSERT_TRUE(rig.Device().WriteBlock(9, ones.data(), kNoNeighbour, kNoNeighbour));
    for (size_t k = 0; k < kPagesPerBlock; ++k) {
        auto spare = SpareOf(rig.Player().BlockPage(MemoryType::Internal, 9, k));
        EXPECT_EQ(spare[12], 0x00);
        EXPECT_EQ(spare[13], 0x01);
    }
    rig.Close();
}

TEST(Blocks, OutOfRangeBlocksAreRefused) {
    testkit::VirtualRig rig({0xE6});
    ASSERT_TRUE(rig.Open());
    MemoryDevice& d = rig.Device();
    std::vector<uint8_t> buffer(kBlockSize, 0x11);
    struct Case {
        uint16_t block;
        bool write;
        DeviceError error;
        uint64_t writes, reads;  // register traffic: none, or the probe and greeting only
    };
    const Case cases[] = {
        {8192, false, DeviceError::FlashRead, 0, 0},
        {0xFFFF, true, DeviceError::FlashWrite, 0, 0},
        {256, false, DeviceError::FlashRead, 23, 8},
        {256, true, DeviceError::FlashWrite, 23, 8},
        {8191, true, DeviceError::FlashWrite, 23, 8},
    };
    for (const auto& c : cases) {
        rig.Player().ResetCounters();
        bool ok = c.write ? d.WriteBlock(c.block, buffer.data(), kNoNeighbour, kNoNeighbour)
                          : d.ReadBlock(c.block, buffer.data(), true);
        EXPECT_FALSE(ok);
        EXPECT_EQ(d.LastError(), c.error) << c.block;
        EXPECT_EQ(rig.Player().RegisterWrites(), c.writes) << c.block;
        EXPECT_EQ(rig.Player().RegisterReads(), c.reads) << c.block;
        d.ClearError();
    }
    rig.Close();
}

TEST(Blocks, ACheckedReadCatchesACorruptPage) {
    testkit::VirtualRig rig({0xE6});
    ASSERT_TRUE(rig.Open());
    MemoryDevice& d = rig.Device();
    auto data = Pattern(3);
    ASSERT_TRUE(d.WriteBlock(3, data.data(), kNoNeighbour, kNoNeighbour));
    rig.Player().BlockPage(MemoryType::Internal, 3, 40)[100] ^= 0x01;
    std::vector<uint8_t> back(kBlockSize);
    EXPECT_FALSE(d.ReadBlock(3, back.data(), true));
    EXPECT_EQ(d.LastError(), DeviceError::PageChecksum);
    EXPECT_TRUE(d.ReadBlock(3, back.data(), false));
    EXPECT_EQ(d.LastError(), DeviceError::None);
    EXPECT_EQ(back[40 * 512 + 100], data[40 * 512 + 100] ^ 0x01);
    // An erased block does not pass a checked read either.
    EXPECT_FALSE(d.ReadBlock(4, back.data(), true));
    EXPECT_EQ(d.LastError(), DeviceError::PageChecksum);
    rig.Close();
}

TEST(Blocks, VerificationRewritesUpToFiveTimes) {
    struct Case {
        VerifyMode mode;
        uint16_t block;
        int page;      // the page whose programs do not take
        int failures;  // how many times
        bool ok;
        DeviceError error;
        bool stored;   // the block reads back right afterwards
    };
    const Case cases[] = {
        {VerifyMode::Quick, 7, 63, 1, true, DeviceError::None, true},
        {VerifyMode::Quick, 7, 63, 4, true, DeviceError::None, true},
        {VerifyMode::Quick, 7, 63, 5, false, DeviceError::BadBlock, false},
        {VerifyMode::Full, 7, 63, 4, true, DeviceError::None, true},
        {VerifyMode::Full, 7, 63, 5, false, DeviceError::BadBlock, false},
        {VerifyMode::None, 7, 63, 1, true, DeviceError::None, false},  // nobody looks
        // Quick verification reads page 63 only; full verification reads every page.
        {VerifyMode::Quick, 7, 10, 1, true, DeviceError::None, false},
        {VerifyMode::Full, 7, 10, 2, true, DeviceError::None, true},
        {VerifyMode::Full, 7, 10, 5, false, DeviceError::BadBlock, false},
        // A mismatch on the very first page of the memory is a memory fault.
        {VerifyMode::Full, 0, 0, 5, false, DeviceError::MemoryFault, false},
        {VerifyMode::Full, 1, 0, 5, false, DeviceError::BadBlock, false},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6});
        ASSERT_TRUE(rig.Open());
        MemoryDevice& d = rig.Device();
        d.SetVerifyMode(c.mode);
        auto data = Pattern(7);
        rig.Player().FailVerify(MemoryType::Internal, c.block, c.failures, c.page);
        EXPECT_EQ(d.WriteBlock(c.block, data.data(), kNoNeighbour, 8), c.ok);
        EXPECT_EQ(d.LastError(), c.error);
        std::vector<uint8_t> back(kBlockSize);
        EXPECT_EQ(d.ReadBlock(c.block, back.data(), true) && back == data, c.stored);
        rig.Close();
    }
}

TEST(Blocks, FlashFailuresNameTheirCause) {
    struct Case {
        const char* what;
        MemoryType type;
        uint16_t block;
        void (*fault)(VirtualPlayer&, MemoryType, uint16_t);
        DeviceError error;
    };
    auto eraseFails = [](VirtualPlayer& p, MemoryType t, uint16_t b) { p.FailErase(t, b); };
    auto programFails = [](VirtualPlayer& p, MemoryType t, uint16_t b) { p.FailProgram(t, b); };
    auto protect = [](VirtualPlayer& p, MemoryType, uint16_t) { p.SetWriteProtected(true); };
    const Case cases[] = {
        {"erase, block 0", MemoryType::Internal, 0, eraseFails, DeviceError::MemoryFault},
        {"erase, block 7", MemoryType::Internal, 7, eraseFails, DeviceError::BadBlock},
        {"program, block 0", MemoryType::Internal, 0, programFails, DeviceError::MemoryFault},
        {"program, block 7", MemoryType::Internal, 7, programFails, DeviceError::BadBlock},
        {"program, second chip's block 0", MemoryType::Internal, 256, programFails,
         DeviceError::BadBlock},
        {"card erase, block 0", MemoryType::Card, 0, eraseFails, DeviceError::MemoryFault},
        {"card program, block 3", MemoryType::Card, 3, programFails, DeviceError::BadBlock},
        {"write protected", MemoryType::Internal, 7, protect, DeviceError::FlashWrite},
        {"write protected, block 0", MemoryType::Internal, 0, protect, DeviceError::FlashWrite},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6, 0xE6}, std::vector<uint8_t>{0xE6}, c.type);
        ASSERT_TRUE(rig.Open());
        c.fault(rig.Player(), c.type, c.block);
        auto data = Pattern(1);
        EXPECT_FALSE(rig.Device().WriteBlock(c.block, data.data(), kNoNeighbour, kNoNeighbour)) << c.what;
        EXPECT_EQ(rig.Device().LastError(), c.error) << c.what;
        // The retrying wrapper does not retry a bad block.
        rig.Device().ClearError();
        rig.clock.Advance(1s);
        auto slept = rig.clock.TotalSlept();
        bool retried = rig.Device().WriteBlockRetry(c.block, data.data(), kNoNeighbour, kNoNeighbour);
        EXPECT_FALSE(retried) << c.what;
        EXPECT_EQ(rig.Device().LastError(), c.error) << c.what;
        if (c.error == DeviceError::BadBlock) {
            EXPECT_EQ(rig.clock.TotalSlept(), slept) << c.what;
        }
        rig.Close();
    }
}

TEST(WaitReady, GivesUpAfterOneSecondAcrossTheTickWrap) {
    const uint64_t wrap = 1ull << 32;
    const uint64_t starts[] = {0, 5000, wrap - 300, wrap - 1, wrap, 3 * wrap - 999};
    for (uint64_t start : starts) {
        testkit::VirtualRig rig({0xE6});
        ASSERT_TRUE(rig.Open());
        rig.clock.Advance(std::chrono::milliseconds(start) - rig.clock.Now());
        auto before = rig.clock.TotalSlept();
        rig.Player().SetReadyStuck(true);
        std::vector<uint8_t> buffer(kBlockSize);
        EXPECT_FALSE(rig.Device().ReadBlock(2, buffer.data(), false));
        EXPECT_EQ(rig.Device().LastError(), DeviceError::Timeout);
        auto waited = rig.clock.TotalSlept() - before;
        EXPECT_GE(waited, 999ms) << start;
        EXPECT_LE(waited, 1001ms) << start;
        rig.Close();
    }
}

TEST(RetryWrappers, IdentifyTheChipsAgainAndRetryOnce) {
    struct Case {
        const char* what;
        bool write;
        Clock::Duration lostFor;
        bool cancel;
        bool ok;
        DeviceError error;
    };
    const Case cases[] = {
        {"read, link back after 1.5 s", false, 1500ms, false, true, DeviceError::None},
        {"write, link back after 1.5 s", true, 1500ms, false, true, DeviceError::None},
        {"read, link gone", false, 3600s, false, false, DeviceError::Timeout},
        {"write, link gone", true, 3600s, false, false, DeviceError::Timeout},
        {"read, cancelled", false, 1500ms, true, false, DeviceError::Cancelled},
        {"write, cancelled", true, 1500ms, true, false, DeviceError::Cancelled},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6});
        LossyDevice d(*rig.driver, rig.clock);
        d.SetPort(kVirtualPortBase);
        ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
        auto data = Pattern(12);
        if (!c.write) {
            ASSERT_TRUE(d.WriteBlock(12, data.data(), kNoNeighbour, kNoNeighbour));
        }
        if (c.cancel) d.CancelEvent().Set();
        d.loseAt = d.Operations() + 20000;  // in the middle of the block transfer
        d.lostFor = c.lostFor;
        std::vector<uint8_t> back(kBlockSize);
        auto sleptBefore = rig.clock.TotalSlept();
        bool ok = c.write ? d.WriteBlockRetry(12, data.data(), kNoNeighbour, kNoNeighbour)
                          : d.ReadBlockRetry(12, back.data(), true);
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(d.LastError(), c.error) << c.what;
        if (c.ok) {
            ASSERT_TRUE(d.ReadBlock(12, back.data(), true)) << c.what;
            EXPECT_EQ(back, data) << c.what;
            EXPECT_EQ(d.TotalBlocks(), 256) << c.what;
            // One time-out, then identification passes with their pauses.
            EXPECT_GE(rig.clock.TotalSlept() - sleptBefore, 1000ms + 2 * 500ms) << c.what;
        }
        d.CloseLink();
    }
}

TEST(FillBlock, ProgramsEveryPageWithTheValueAndAlwaysSucceeds) {
    struct Case {
        uint8_t value;
        bool eraseFails;
    };
    const Case cases[] = {{0x00, false}, {0xFF, false}, {0x5A, false}, {0x00, true}};
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0x73, 0xE6});
        ASSERT_TRUE(rig.Open());
        MemoryDevice& d = rig.Device();
        auto data = Pattern(2);
        for (uint16_t block : {uint16_t(2), uint16_t(600)})
            ASSERT_TRUE(d.WriteBlock(block, data.data(), kNoNeighbour, kNoNeighbour));
        for (uint16_t block : {uint16_t(2), uint16_t(600)}) {
            if (c.eraseFails) rig.Player().FailErase(MemoryType::Internal, block);
            d.SetLastError(DeviceError::Timeout);
            EXPECT_TRUE(d.FillBlock(d.AddressOf(block), c.value));
            EXPECT_EQ(d.LastError(), DeviceError::None);
            if (c.eraseFails) continue;
            std::vector<uint8_t> page(kPageDataSize, c.value);
            const uint16_t sum = WordChecksum(page.data(), page.size());
            for (size_t k = 0; k < kPagesPerBlock; ++k) {
                const uint8_t* raw = rig.Player().BlockPage(MemoryType::Internal, block, k);
                EXPECT_EQ(std::memcmp(raw, page.data(), kPageDataSize), 0) << block << "/" << k;
                for (size_t i = 0; i < kPageSpareSize; ++i) {
                    uint8_t want = i == 12 ? uint8_t(sum & 0xFF) : i == 13 ? uint8_t(sum >> 8) : c.value;
                    EXPECT_EQ(raw[kPageDataSize + i], want) << block << "/" << k << "/" << i;
                }
            }
        }
        // The neighbours are untouched.
        std::vector<uint8_t> back(kBlockSize);
        EXPECT_FALSE(d.ReadBlock(3, back.data(), true));  // still erased
        rig.Close();
    }
}

TEST(IsGoodBlock, LooksAtTheFactoryMarkOfEveryEraseUnit) {
    struct Case {
        const char* what;
        uint16_t block;
        int markUnit;        // -1: no mark; else the erase unit whose first pages carry it
        int markPage;        // 0 or 1 within the unit
        bool stuck;
        bool good;
        DeviceError error;
    };
    const Case cases[] = {
        {"clean", 10, -1, 0, false, true, DeviceError::None},
        {"marked, unit 0 page 0", 10, 0, 0, false, false, DeviceError::None},
        {"marked, unit 3 page 1", 10, 3, 1, false, false, DeviceError::None},
        {"beyond the memory", 256, -1, 0, false, false, DeviceError::FlashRead},
        {"no answer", 10, -1, 0, true, false, DeviceError::Timeout},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig({0xE6});  // 4 erase units of 16 pages
        ASSERT_TRUE(rig.Open());
        if (c.markUnit >= 0)
            rig.Player().BlockPage(MemoryType::Internal, c.block, c.markUnit * 16 + c.markPage)[512 + 5] = 0x00;
        rig.Player().SetReadyStuck(c.stuck);
        rig.Device().SetLastError(DeviceError::Unstable);
        EXPECT_EQ(rig.Device().IsGoodBlock(rig.Device().AddressOf(c.block)), c.good) << c.what;
        EXPECT_EQ(rig.Device().LastError(), c.error) << c.what;
        rig.Close();
    }
    // The player's own factory marks are found the same way.
    testkit::VirtualRig rig({0x75});
    ASSERT_TRUE(rig.Open());
    ASSERT_TRUE(rig.Player().MarkFactoryBad(MemoryType::Internal, 77));
    EXPECT_FALSE(rig.Device().IsGoodBlock(rig.Device().AddressOf(77)));
    EXPECT_TRUE(rig.Device().IsGoodBlock(rig.Device().AddressOf(78)));
    rig.Close();
}

TEST(PowerCut, TheImageKeepsExactlyThePagesProgrammedBeforeIt) {
    const uint64_t cuts[] = {200, 5000, 40000, 70000};
    for (uint64_t cut : cuts) {
        testkit::VirtualRig rig({0xE6});
        ASSERT_TRUE(rig.Open());
        MemoryDevice& d = rig.Device();
        auto old = Pattern(1);
        ASSERT_TRUE(d.WriteBlock(20, old.data(), kNoNeighbour, kNoNeighbour));
        auto data = Pattern(2);
        rig.Player().PowerCutAfter(cut);
        EXPECT_FALSE(d.WriteBlock(20, data.data(), kNoNeighbour, kNoNeighbour)) << cut;
        EXPECT_NE(d.LastError(), DeviceError::None);
        // Each page is either the old one, erased, or the new one complete; the new pages form
        // a prefix of the block.
        size_t newPages = 0, erased = 0, oldPages = 0;
        for (size_t k = 0; k < kPagesPerBlock; ++k) {
            const uint8_t* raw = rig.Player().BlockPage(MemoryType::Internal, 20, k);
            if (PageErased(raw)) {
                ++erased;
            } else if (std::memcmp(raw, data.data() + k * 512, 512) == 0) {
                EXPECT_EQ(erased + oldPages, 0u) << "page " << k << " cut " << cut;
                if (k < 63) {
                    EXPECT_EQ(SpareOf(raw), NormalSpare(data.data() + k * 512));
                }
                ++newPages;
            } else {
                EXPECT_EQ(std::memcmp(raw, old.data() + k * 512, 512), 0) << "page " << k;
                ++oldPages;
            }
        }
        EXPECT_EQ(newPages + erased + oldPages, kPagesPerBlock);
        // Power back: the block is a clear checksum failure, never silently wrong data.
        rig.Player().Reconnect();
        d.ClearError();
        ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
        std::vector<uint8_t> back(kBlockSize);
        bool ok = d.ReadBlock(20, back.data(), true);
        if (ok) {
            EXPECT_TRUE(back == old || back == data) << cut;
        } else {
            EXPECT_EQ(d.LastError(), DeviceError::PageChecksum) << cut;
        }
        rig.Close();
    }
}

TEST(RegisterTraffic, IsExactlyWhatTheProtocolPrescribes) {
    // Byte-level costs: SendCommand/SendData 3 writes, SendDataFast 2 writes, ReadByte 2 writes
    // and 4 reads, reset 1 write, a wait on a ready player 1 read.
    constexpr uint64_t probeW = 1 + 3 + 2, probeR = 4;
    constexpr uint64_t greetW = 5 * 3 + 2, greetR = 4;
    constexpr uint64_t eraseW = 12 * 3 + 2, eraseR = 1 + 4;
    constexpr uint64_t programW = 9 * 3 + 528 * 2 + 2 * 3 + 3 * 3 + 2, programR = 1 + 4;
    constexpr uint64_t readW = 8 * 3 + 3 + 528 * 2, readR = 1 + 528 * 4 + 1;
    struct Case {
        uint8_t chip;
        uint64_t units;
    };
    for (const Case c : {Case{0x75, 2}, Case{0x73, 2}, Case{0xE6, 4}}) {
        testkit::VirtualRig rig({c.chip});
        ASSERT_TRUE(rig.Open());
        auto data = Pattern(5);
        rig.Player().ResetCounters();
        ASSERT_TRUE(rig.Device().WriteBlock(5, data.data(), kNoNeighbour, kNoNeighbour));
        EXPECT_EQ(rig.Player().RegisterWrites(),
                  probeW + greetW + c.units * eraseW + 64 * programW + readW);
        EXPECT_EQ(rig.Player().RegisterReads(),
                  probeR + greetR + c.units * eraseR + 64 * programR + readR);
        std::vector<uint8_t> back(kBlockSize);
        rig.Player().ResetCounters();
        ASSERT_TRUE(rig.Device().ReadBlock(5, back.data(), true));
        EXPECT_EQ(rig.Player().RegisterWrites(), probeW + greetW + 64 * readW);
        EXPECT_EQ(rig.Player().RegisterReads(), probeR + greetR + 64 * readR);
        rig.Close();
    }
    EXPECT_EQ(probeW + greetW + 2 * eraseW + 64 * programW + readW, 71582u);
    EXPECT_EQ(probeR + greetR + 64 * readR, 135304u);
}

TEST(BlockLock, KeepsBlockTransfersOfTwoDevicesApart) {
    // Two memories of one player written from two threads at once: each block arrives whole.
    testkit::VirtualRig rig({0xE6}, std::vector<uint8_t>{0xE6});
    MemoryDevice card(*rig.driver, rig.clock);
    card.SetPort(kVirtualPortBase);
    card.SetMemoryType(MemoryType::Card);
    ASSERT_TRUE(rig.Open());
    ASSERT_TRUE(card.IdentifyChips());
    auto a = Pattern(21), b = Pattern(22);
    constexpr uint16_t kBlocks = 40;
    std::atomic<int> ready{0};
    auto writeAll = [&](MemoryDevice& d, const std::vector<uint8_t>& data) {
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();  // start together
        bool ok = true;
        for (uint16_t n = 1; n <= kBlocks; ++n)
            ok = d.WriteBlock(n, data.data(), kNoNeighbour, kNoNeighbour) && ok;
        return ok;
    };
    bool okB = false;
    std::thread other([&] { okB = writeAll(card, b); });
    const bool okA = writeAll(rig.Device(), a);
    other.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
    std::vector<uint8_t> back(kBlockSize);
    for (uint16_t n = 1; n <= kBlocks; ++n) {
        ASSERT_TRUE(rig.Device().ReadBlock(n, back.data(), true));
        EXPECT_EQ(back, a) << n;
        ASSERT_TRUE(card.ReadBlock(n, back.data(), true));
        EXPECT_EQ(back, b) << n;
    }
    // A thread holding the lock may still transfer blocks itself.
    std::lock_guard hold(BlockLock());
    EXPECT_TRUE(rig.Device().ReadBlock(1, back.data(), true));
    rig.Close();
}
