// The virtual player's image files and its NAND behaviour, checked from outside: the file bytes,
// the chips' answers through the protocol, pacing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "memview/link/testing/VirtualRig.h"

using namespace zanto;
using namespace std::chrono_literals;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

constexpr size_t kChip73 = 512 * 64 * 528;
constexpr size_t kChip75 = 1024 * 64 * 528;
constexpr size_t kChipE6 = 256 * 64 * 528;

}  // namespace

TEST(VirtualImage, FilesFollowTheImageFormat) {
    testkit::TempDir dir;
    std::string error;
    ASSERT_TRUE(VirtualPlayer::Create(dir.Path(), {0x75, 0x73}, std::vector<uint8_t>{0x00, 0xE6}, &error))
        << error;
    struct Case {
        const char* file;
        uint32_t type;
        std::vector<uint8_t> codes;
        size_t size;
    };
    const Case cases[] = {
        {"internal.flash", 0, {0x75, 0x73, 0, 0, 0, 0, 0, 0}, 64 + kChip75 + kChip73},
        {"card.flash", 1, {0x00, 0xE6, 0, 0, 0, 0, 0, 0}, 64 + kChipE6},
    };
    for (const auto& c : cases) {
        auto bytes = ReadFile(dir / c.file);
        ASSERT_EQ(bytes.size(), c.size) << c.file;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "KP50NAND");
        EXPECT_EQ(Le32(bytes, 8), 1u);
        EXPECT_EQ(Le32(bytes, 12), c.type);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 24), c.codes);
        for (size_t i = 24; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << i;
        for (size_t i = 64; i < bytes.size(); i += 4099) ASSERT_EQ(bytes[i], 0xFF) << i;
        EXPECT_EQ(bytes.back(), 0xFF);
    }
    // A player made again without a card has none.
    ASSERT_TRUE(VirtualPlayer::Create(dir.Path(), {0xE6}, std::nullopt, &error));
    EXPECT_NE(::access((dir / "card.flash").c_str(), F_OK), 0);
    EXPECT_EQ(ReadFile(dir / "internal.flash").size(), 64 + kChipE6);
}

TEST(VirtualImage, CreateRefusesChipsThePlayerCannotHold) {
    struct Case {
        std::vector<uint8_t> internal;
        std::optional<std::vector<uint8_t>> card;
        const char* error;
    };
    const Case cases[] = {
        {{0x99}, std::nullopt, "unknown chip code 0x99"},
        {{0x75, 0x75, 0x75, 0x75, 0x75}, std::nullopt, "at most 4 chips"},
        {{0x75}, std::vector<uint8_t>{0x75, 0x75, 0x75}, "at most 2 chips"},
        {{0x75}, std::vector<uint8_t>{0x74}, "unknown chip code 0x74"},
    };
    for (const auto& c : cases) {
        testkit::TempDir dir;
        std::string error;
        EXPECT_FALSE(VirtualPlayer::Create(dir.Path(), c.internal, c.card, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_NE(::access((dir / "internal.flash").c_str(), F_OK), 0);
    }
}

TEST(VirtualImage, AMalformedImageLeavesThePortSilent) {
    struct Case {
        const char* what;
        void (*spoil)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"magic", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
        {"version", [](std::vector<uint8_t>& b) { b[8] = 2; }},
        {"memory type", [](std::vector<uint8_t>& b) { b[12] = 1; }},
        {"unknown chip", [](std::vector<uint8_t>& b) { b[17] = 0x42; }},
        {"chip beyond the memory's positions", [](std::vector<uint8_t>& b) { b[20] = 0xE6; }},
        {"truncated", [](std::vector<uint8_t>& b) { b.resize(b.size() - 528); }},
        {"header only", [](std::vector<uint8_t>& b) { b.resize(40); }},
    };
    for (const auto& c : cases) {
        testkit::TempDir dir;
        std::string error;
        ASSERT_TRUE(VirtualPlayer::Create(dir.Path(), {0xE6}, std::nullopt, &error));
        auto bytes = ReadFile(dir / "internal.flash");
        c.spoil(bytes);
        WriteFile(dir / "internal.flash", bytes);
        auto player = std::make_shared<VirtualPlayer>(dir.Path());
        EXPECT_FALSE(player->IsOpen()) << c.what;
        EXPECT_NE(player->OpenError().find("internal.flash"), std::string::npos) << c.what;
        VirtualPortDriver driver(player);
        FakeClock clock;
        MemoryDevice d(driver, clock);
        d.SetPort(kVirtualPortBase);
        EXPECT_FALSE(d.OpenLink()) << c.what;
        EXPECT_EQ(d.LastError(), DeviceError::NotConnected) << c.what;
        d.CloseLink();
        EXPECT_FALSE(driver.Diagnose()[0].problem.empty()) << c.what;
    }
}

TEST(VirtualImage, WritesReachTheFileAtOnceInPageOrder) {
    testkit::VirtualRig rig({0x73, 0xE6});
    ASSERT_TRUE(rig.Open());
    std::vector<uint8_t> data(kBlockSize);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i / 512 + i);
    ASSERT_TRUE(rig.Device().WriteBlock(600, data.data(), kNoNeighbour, kNoNeighbour));
    // Block 600 = block 88 of the chip at position 1, behind the whole 0x73 chip.
    auto bytes = ReadFile(rig.dir / "internal.flash");
    for (size_t k = 0; k < 64; ++k) {
        size_t at = 64 + kChip73 + (88 * 64 + k) * 528;
        ASSERT_EQ(std::memcmp(&bytes[at], &data[k * 512], 512), 0) << k;
        EXPECT_EQ(bytes[at + 512 + 4], k == 63 ? 0xFF : 0x00) << k;  // the spares follow each page
    }
    // Another program opening the folder sees the same flash.
    VirtualPortDriver other(std::make_shared<VirtualPlayer>(rig.dir.Path()));
    rig.Close();
    MemoryDevice d(other, rig.clock);
    d.SetPort(kVirtualPortBase);
    ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
    std::vector<uint8_t> back(kBlockSize);
    ASSERT_TRUE(d.ReadBlock(600, back.data(), true));
    EXPECT_EQ(back, data);
    d.CloseLink();
}

TEST(VirtualNand, ProgrammingOnlyClearsBitsAndEraseWorksPerUnit) {
    testkit::VirtualRig rig({0xE6});  // erase units of 16 pages
    ASSERT_TRUE(rig.Open());
    MemoryDevice& d = rig.Device();
    const BlockAddress start = d.AddressOf(3);
    auto at = [&](unsigned page) {
        BlockAddress a = start;
        a.SetPageAddress(static_cast<uint16_t>(start.PageAddress() + page));
        return a;
    };
    std::vector<uint8_t> f0(512, 0xF0), c3(512, 0x3C);
    uint8_t spare[16];
    for (unsigned page = 0; page < 32; ++page) {
        std::memset(spare, 0xFF, sizeof spare);
        ASSERT_TRUE(d.ProgramPage(0, at(page), f0.data(), spare));
    }
    std::memset(spare, 0xFF, sizeof spare);
    ASSERT_TRUE(d.ProgramPage(0, at(5), c3.data(), spare));  // without an erase
    std::vector<uint8_t> page(512);
    ASSERT_TRUE(d.ReadPage(0, at(5), page.data(), nullptr, false));
    EXPECT_EQ(page, std::vector<uint8_t>(512, 0x30));

    ASSERT_TRUE(d.EraseUnit(0, at(16)));  // the second unit: pages 16..31
    for (unsigned p : {0u, 15u}) {
        ASSERT_TRUE(d.ReadPage(0, at(p), page.data(), nullptr, false));
        EXPECT_EQ(page[0], p == 5 ? 0x30 : 0xF0) << p;
    }
    for (unsigned p : {16u, 31u}) {
        ASSERT_TRUE(d.ReadPage(0, at(p), page.data(), spare, false));
        EXPECT_EQ(page, std::vector<uint8_t>(512, 0xFF)) << p;
        EXPECT_EQ(spare[12], 0xFF) << p;
    }
    rig.Close();
}

TEST(VirtualPlayerPacing, ASpeedLimitPacesThePayload) {
    struct Case {
        uint64_t limit;
        bool fromEnvironment;
    };
    for (const Case c : {Case{150000, false}, Case{150000, true}, Case{1000000, false}}) {
        testkit::TempDir dir;
        std::string error;
        ASSERT_TRUE(VirtualPlayer::Create(dir.Path(), {0xE6}, std::nullopt, &error));
        FakeClock clock;
        std::unique_ptr<VirtualPortDriver> driver;
        if (c.fromEnvironment) {
            ::setenv("ZANTO_VIRTUAL_SPEED", std::to_string(c.limit).c_str(), 1);
            driver = std::make_unique<VirtualPortDriver>(dir.Path(), clock);
            ::unsetenv("ZANTO_VIRTUAL_SPEED");
        } else {
            driver = std::make_unique<VirtualPortDriver>(std::make_shared<VirtualPlayer>(dir.Path(), clock));
            driver->Player().SetSpeedLimit(c.limit);
        }
        MemoryDevice d(*driver, clock);
        d.SetPort(kVirtualPortBase);
        ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
        std::vector<uint8_t> data(kBlockSize, 0x42);
        d.SetVerifyMode(VerifyMode::None);
        auto before = clock.TotalSlept();
        ASSERT_TRUE(d.WriteBlock(1, data.data(), kNoNeighbour, kNoNeighbour));
        ASSERT_TRUE(d.ReadBlock(1, data.data(), true));
        EXPECT_EQ(data, std::vector<uint8_t>(kBlockSize, 0x42));
        // 2 x 64 pages of 528 bytes went over the link.
        const double expected = 2.0 * 64 * 528 / static_cast<double>(c.limit);
        const double slept = std::chrono::duration<double>(clock.TotalSlept() - before).count();
        EXPECT_NEAR(slept, expected, expected * 0.02) << c.limit;
        d.CloseLink();
    }
}

TEST(VirtualPortDriver, AnEmptyFolderGetsTheDefaultPlayer) {
    testkit::TempDir dir;
    VirtualPortDriver driver(dir / "new");
    ASSERT_TRUE(driver.PlayerOpen());
    FakeClock clock;
    for (MemoryType type : {MemoryType::Internal, MemoryType::Card}) {
        MemoryDevice d(driver, clock);
        d.SetPort(kVirtualPortBase);
        d.SetMemoryType(type);
        ASSERT_TRUE(d.OpenLink() && d.IdentifyChips());
        EXPECT_EQ(d.TotalBlocks(), type == MemoryType::Internal ? 1536 : 1024);
        d.CloseLink();
    }
}

TEST(VirtualFaultsFile, FaultsComeFromTheFolder) {
    struct Case {
        std::string faults;
        MemoryType type;
        DeviceError error;  // of the first step that fails
    };
    const Case cases[] = {
        {"write-protect\n", MemoryType::Internal, DeviceError::FlashWrite},
        {"refuse-greeting", MemoryType::Internal, DeviceError::HandshakeFailed},
        {"ready-stuck", MemoryType::Internal, DeviceError::Timeout},
        {"# a comment line\nerase-fail internal 3   # block 3\n", MemoryType::Internal,
         DeviceError::BadBlock},
        {"verify-fail internal 3 5", MemoryType::Internal, DeviceError::BadBlock},
        {"program-fail card 3", MemoryType::Card, DeviceError::BadBlock},
        {"disconnect-after 0", MemoryType::Internal, DeviceError::NotConnected},
        {"card-removed", MemoryType::Card, DeviceError::NoFlash},
        {"bad internal 5", MemoryType::Internal, DeviceError::None},  // seen by IsGoodBlock
    };
    for (const auto& c : cases) {
        testkit::TempDir dir;
        std::string error;
        ASSERT_TRUE(VirtualPlayer::Create(dir.Path(), {0xE6}, std::vector<uint8_t>{0xE6}, &error));
        std::ofstream(dir / "faults") << c.faults;
        FakeClock clock;
        VirtualPortDriver driver(dir.Path(), clock);
        MemoryDevice d(driver, clock);
        d.SetPort(kVirtualPortBase);
        d.SetMemoryType(c.type);
        std::vector<uint8_t> data(kBlockSize, 0x33);
        bool ok = d.OpenLink() && d.IdentifyChips() && d.ReadBlock(2, data.data(), false) &&
                  d.WriteBlock(3, data.data(), kNoNeighbour, kNoNeighbour);
        EXPECT_EQ(d.LastError(), c.error) << c.faults;
        if (c.error == DeviceError::None) {
            EXPECT_TRUE(ok);
            EXPECT_FALSE(d.IsGoodBlock(d.AddressOf(5)));
            EXPECT_TRUE(d.IsGoodBlock(d.AddressOf(4)));
        }
        d.CloseLink();
    }
}

TEST(VirtualFaultsFile, AMalformedListAppliesNothing) {
    const char* cases[] = {
        "explode",          "bad internal",          "bad floppy 3",
        "bad internal 9000", "verify-fail internal 3", "verify-fail internal 3 2 64",
        "ready-stuck now",  "disconnect-after",
    };
    for (const char* line : cases) {
        testkit::VirtualRig rig({0xE6});
        std::string error;
        EXPECT_FALSE(rig.Player().ApplyFaults(std::string("write-protect\n") + line + "\n", &error))
            << line;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
        // The valid first line was not applied either.
        ASSERT_TRUE(rig.Open());
        std::vector<uint8_t> data(kBlockSize, 0x44);
        EXPECT_TRUE(rig.Device().WriteBlock(1, data.data(), kNoNeighbour, kNoNeighbour)) << line;
        rig.Close();
    }
}
