// Port selection, opening and closing the link, the shared acquire count and the port search.
#include <gtest/gtest.h>

#include <chrono>
#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "memview/link/FindMxDevice.h"
#include "memview/link/testing/VirtualRig.h"

using namespace zanto;
using namespace std::chrono_literals;

namespace {

// A driver that lists whatever records a test gives it; a virtual player answers at one base and
// plain registers (an ECP extended control register, say) elsewhere. It records every access.
class ScriptedDriver final : public PortDriver {
public:
    std::vector<PortRecord> records;
    bool listFails = false;
    std::shared_ptr<VirtualPlayer> player;
    uint16_t playerBase = 0x378;
    std::map<uint16_t, uint8_t> plain;
    std::vector<uint16_t> touched;
    int claims = 0;
    int unclaims = 0;

    uint8_t ReadRegister(uint16_t address) override {
        touched.push_back(address);
        const uint16_t offset = static_cast<uint16_t>(address - playerBase);
        if (player && offset <= 2) return player->ReadRegister(offset);
        auto it = plain.find(address);
        return it == plain.end() ? 0xFF : it->second;
    }
    void WriteRegister(uint16_t address, uint8_t value) override {
        touched.push_back(address);
        const uint16_t offset = static_cast<uint16_t>(address - playerBase);
        if (player && offset <= 2)
            player->WriteRegister(offset, value);
        else
            plain[address] = value;
    }
    std::array<PortDiagnosis, 4> Diagnose() override { return {}; }

protected:
    bool BeginList() override {
        cursor_ = 0;
        return !listFails;
    }
    bool NextPort(PortRecord& record) override {
        if (cursor_ >= records.size()) return false;
        record = records[cursor_++];
        return true;
    }
    // A real claim takes a system call: long enough for another thread to come in between.
    bool Claim(const std::string&) override {
        std::this_thread::yield();
        ++claims;
        return true;
    }
    bool Unclaim() override {
        std::this_thread::yield();
        ++unclaims;
        return true;
    }

private:
    size_t cursor_ = 0;
};

// The link status the player gives now (0xC before the greeting and after the farewell).
uint8_t LinkStatus(MemoryDevice& device) {
    device.ResetLink();
    device.SendCommand(0xA8);
    return device.ReadByte() & 0x0F;
}

}  // namespace

TEST(OpenLink, FailuresLeaveTheirError) {
    struct Case {
        const char* what;
        PortValue port;
        void (*fault)(VirtualPlayer&);
        DeviceError error;
        bool acquires;
    };
    const Case cases[] = {
        {"no port chosen", kNoPortChosen, nullptr, DeviceError::NoPort, false},
        {"nothing at that base", 0x278, nullptr, DeviceError::NotConnected, false},
        {"cable pulled", 0x378, [](VirtualPlayer& p) { p.DisconnectAfter(0); },
         DeviceError::NotConnected, true},
        {"greeting refused", 0x378, [](VirtualPlayer& p) { p.SetGreetingRefused(true); },
         DeviceError::HandshakeFailed, true},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig;
        MemoryDevice& d = rig.Device();
        d.SetPort(c.port);
        if (c.fault) c.fault(rig.Player());
        EXPECT_FALSE(d.OpenLink()) << c.what;
        EXPECT_EQ(d.LastError(), c.error) << c.what;
        EXPECT_EQ(d.HoldsAcquisition(), c.acquires) << c.what;
        EXPECT_EQ(rig.driver->AcquireCount(), c.acquires ? 1 : 0) << c.what;
        d.CloseLink();
        EXPECT_FALSE(d.HoldsAcquisition()) << c.what;
        EXPECT_EQ(rig.driver->AcquireCount(), 0) << c.what;
        EXPECT_EQ(d.LastLinkEnd(), rig.clock.CalendarSeconds()) << c.what;
    }
}

TEST(OpenLink, GreetsAndCloseLinkSaysFarewell) {
    testkit::VirtualRig rig;
    MemoryDevice& d = rig.Device();
    EXPECT_EQ(LinkStatus(d), 0x0C);  // a player that has not been greeted
    ASSERT_TRUE(d.OpenLink());
    EXPECT_EQ(d.LastError(), DeviceError::None);
    EXPECT_TRUE(d.HoldsAcquisition());
    EXPECT_EQ(LinkStatus(d), 0x0A);
    d.CloseLink();
    EXPECT_EQ(rig.Player().ReadRegister(0), 0x00);  // data lines left low
    EXPECT_EQ(LinkStatus(d), 0x0C);
}

TEST(OpenLink, ThePortIsHeldFromTheFirstOpenToTheLastClose) {
    testkit::VirtualRig rig;
    MemoryDevice card(*rig.driver, rig.clock);
    card.SetPort(kVirtualPortBase);
    card.SetMemoryType(MemoryType::Card);
    // Another program on the same player.
    VirtualPortDriver other(std::make_shared<VirtualPlayer>(rig.dir.Path()));
    MemoryDevice outsider(other, rig.clock);
    outsider.SetPort(kVirtualPortBase);

    ASSERT_TRUE(rig.Device().OpenLink());
    ASSERT_TRUE(card.OpenLink());
    EXPECT_EQ(rig.driver->AcquireCount(), 2);
    EXPECT_FALSE(outsider.OpenLink());
    EXPECT_EQ(outsider.LastError(), DeviceError::PortBusy);
    outsider.CloseLink();  // after a failed open it must not give back what it never got
    EXPECT_EQ(rig.driver->AcquireCount(), 2);

    rig.Device().CloseLink();
    EXPECT_EQ(rig.driver->AcquireCount(), 1);
    outsider.ClearError();
    EXPECT_FALSE(outsider.OpenLink());  // still held by the card's link
    outsider.CloseLink();
    card.CloseLink();
    EXPECT_EQ(rig.driver->AcquireCount(), 0);
    outsider.ClearError();
    EXPECT_TRUE(outsider.OpenLink());
    outsider.CloseLink();
}

TEST(OpenLink, AFailedOpenOfAnotherDeviceKeepsTheOpenLinksHold) {
    testkit::VirtualRig rig;
    ASSERT_TRUE(rig.Device().OpenLink());
    MemoryDevice stray(*rig.driver, rig.clock);
    stray.SetPort(0x278);  // no such port listed: nothing acquired, nothing answers
    EXPECT_FALSE(stray.OpenLink());
    EXPECT_EQ(stray.LastError(), DeviceError::NotConnected);
    stray.CloseLink();
    EXPECT_EQ(rig.driver->AcquireCount(), 1);
    EXPECT_EQ(LinkStatus(rig.Device()), 0x0A);  // no farewell was sent
    rig.Device().CloseLink();
}

TEST(OpenLink, WaitsASecondWhenTheLastLinkEndedLessThanTwoSecondsAgo) {
    struct Case {
        std::chrono::seconds gap;
        bool waits;
    };
    const Case cases[] = {{0s, true}, {1s, true}, {2s, false}, {60s, false}};
    for (const auto& c : cases) {
        testkit::VirtualRig rig;
        MemoryDevice& d = rig.Device();
        EXPECT_TRUE(d.OpenLink());  // the first link of a device never waits
        EXPECT_EQ(rig.clock.TotalSlept(), 0ns);
        d.CloseLink();
        rig.clock.Advance(c.gap);
        EXPECT_TRUE(d.OpenLink());
        EXPECT_EQ(rig.clock.TotalSlept(), c.waits ? 1000ms : 0ms) << c.gap.count();
        d.CloseLink();
    }
}

TEST(SetPort, ChangesNothingWhileAnErrorIsPending) {
    testkit::VirtualRig rig;
    MemoryDevice& d = rig.Device();
    EXPECT_TRUE(d.SetPort(0x10278));
    EXPECT_EQ(d.PortBase(), 0x278);
    EXPECT_EQ(d.PortKind(), 1);
    d.SetLastError(DeviceError::Timeout);
    EXPECT_FALSE(d.SetPort(0x378));
    EXPECT_EQ(d.Port(), 0x10278u);
    EXPECT_EQ(d.SetMemoryType(MemoryType::Card), MemoryType::Internal);
    EXPECT_EQ(d.SetMemoryType(MemoryType::Internal), MemoryType::Card);
}

TEST(OpenLink, AnEcpPortRunsInStandardModeWhileTheLinkIsOpen) {
    testkit::VirtualRig rig;
    ScriptedDriver driver;
    driver.player = rig.player;
    driver.records = {{0x378, "PNP0401", "LPT1"}};
    driver.plain[0x378 + 0x402] = 0x35;
    MemoryDevice d(driver, rig.clock);
    d.SetPort(0x10378);
    ASSERT_TRUE(d.OpenLink());
    EXPECT_EQ(driver.plain[0x378 + 0x402], 0x00);
    EXPECT_EQ(driver.claims, 1);
    d.CloseLink();
    EXPECT_EQ(driver.plain[0x378 + 0x402], 0x35);
    EXPECT_EQ(driver.unclaims, 1);
}

TEST(FindMxDevice, ReportsEachSlotAndTheFirstPortThatAnswers) {
    struct Case {
        const char* what;
        std::vector<PortRecord> records;
        bool listFails;
        std::array<uint32_t, 4> slots;
        PortValue result;
    };
    const Case cases[] = {
        {"standard port", {{0x378, "x PNP0400 y", "LPT1"}}, false, {0x378, 0, 0, 0}, 0x378},
        {"ECP id in lower case", {{0x378, "pnp0401", "LPT2"}}, false, {0, 0x10378, 0, 0}, 0x10378},
        {"unknown name ignored, later LPT2 wins",
         {{0x3BC, "PNP0400", "LPT5"}, {0x278, "PNP0400", "LPT2"}, {0x378, "PNP0400", "LPT2"}},
         false, {0, 0x378, 0, 0}, 0x378},
        {"names compare exactly", {{0x378, "PNP0400", "lpt1"}}, false, {0, 0, 0, 0}, kNoPortChosen},
        {"not a parallel port", {{0x378, "PNP0500", "LPT1"}}, false, {0, 0, 0, 0}, kNoPortChosen},
        {"nothing answers elsewhere",
         {{0x3BC, "PNP0400", "LPT1"}, {0x278, "PNP0401", "LPT3"}}, false,
         {0x3BC, 0, 0x10278, 0}, kNoPortChosen},
        {"second port answers",
         {{0x3BC, "PNP0400", "LPT1"}, {0x378, "PNP0400", "LPT4"}}, false, {0x3BC, 0, 0, 0x378},
         0x378},
        {"listing fails", {{0x378, "PNP0400", "LPT1"}}, true, {0, 0, 0, 0}, kNoPortChosen},
    };
    for (const auto& c : cases) {
        testkit::VirtualRig rig;
        ScriptedDriver driver;
        driver.player = rig.player;
        driver.records = c.records;
        driver.listFails = c.listFails;
        std::array<uint32_t, 4> slots = {7, 7, 7, 7};
        EXPECT_EQ(FindMxDevice(slots.data(), driver), c.result) << c.what;
        EXPECT_EQ(slots, c.slots) << c.what;
        EXPECT_EQ(FindMxDevice(nullptr, driver), c.result) << c.what;
        // A search claims nothing and leaves the ECP register alone.
        EXPECT_EQ(driver.claims, 0) << c.what;
        for (const auto& r : c.records)
            for (uint16_t a : driver.touched)
                EXPECT_NE(a, static_cast<uint16_t>(r.base + 0x402)) << c.what;
    }
}

TEST(FindMxDevice, FindsTheVirtualPlayer) {
    testkit::VirtualRig rig;
    std::array<uint32_t, 4> slots{};
    EXPECT_EQ(FindMxDevice(slots.data(), *rig.driver), 0x378u);
    EXPECT_EQ(slots, (std::array<uint32_t, 4>{0x378, 0, 0, 0}));
    EXPECT_EQ(rig.driver->AcquireCount(), 0);
    rig.Player().DisconnectAfter(0);
    EXPECT_EQ(FindMxDevice(nullptr, *rig.driver), kNoPortChosen);
}

TEST(PortDriver, TheAcquireCountHoldsUnderConcurrentLinks) {
    ScriptedDriver driver;
    constexpr int kThreads = 4, kRounds = 20000;
    std::atomic<bool> releasedWhileHeld{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                if (!driver.Acquire("LPT1")) releasedWhileHeld = true;
                if (driver.AcquireCount() == 0) releasedWhileHeld = true;  // we hold it
                driver.Release();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_FALSE(releasedWhileHeld);
    EXPECT_EQ(driver.AcquireCount(), 0);
    EXPECT_EQ(driver.claims, driver.unclaims);
}
