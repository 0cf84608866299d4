// The ppdev driver on a described machine: which ports it lists, with which identification, and
// what it tells the user about ports it cannot use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/testing/TempDir.h"
#include "memview/link/FindMxDevice.h"
#include "memview/link/PpdevPortDriver.h"

using namespace zanto;

namespace {

struct Machine {
    testkit::TempDir dir;
    std::string proc() const { return dir / "proc"; }
    std::string dev() const { return dir / "dev"; }
    // A port the kernel lists; with a device file unless told otherwise.
    void AddPort(int n, const std::string& baseAddr, const std::string& modes, bool deviceFile) {
        const std::string p = proc() + "/parport" + std::to_string(n);
        std::filesystem::create_directories(p);
        std::ofstream(p + "/base-addr") << baseAddr;
        std::ofstream(p + "/modes") << modes;
        std::filesystem::create_directories(dev());
        // A plain file stands in for the device node: it opens, but takes no port requests.
        if (deviceFile) std::ofstream(dev() + "/parport" + std::to_string(n)) << "";
    }
};

}  // namespace

TEST(PpdevPortDriver, ListsThePortsTheKernelDescribes) {
    Machine m;
    m.AddPort(0, "888\t1912\n", "PCSPP,TRISTATE,COMPAT,ECP\n", true);
    m.AddPort(1, "632\n", "PCSPP,TRISTATE\n", true);
    m.AddPort(2, "956\n", "PCSPP\n", false);  // no /dev/parport2: ppdev not loaded for it
    m.AddPort(3, "garbage\n", "PCSPP\n", true);
    PpdevPortDriver driver(m.proc(), m.dev());
    std::array<PortRecord, 4> slots;
    ASSERT_TRUE(driver.ListPorts(slots));
    EXPECT_EQ(slots[0].base, 888);
    EXPECT_EQ(slots[0].name, "LPT1");
    EXPECT_NE(slots[0].identification.find("PNP0401"), std::string::npos);
    EXPECT_EQ(slots[1].base, 632);
    EXPECT_NE(slots[1].identification.find("PNP0400"), std::string::npos);
    EXPECT_EQ(slots[2].base, 0);
    EXPECT_EQ(slots[3].base, 0);

    std::array<uint32_t, 4> values{};
    // Nothing answers through a plain file: the search finds no player and claims nothing.
    EXPECT_EQ(FindMxDevice(values.data(), driver), kNoPortChosen);
    EXPECT_EQ(values, (std::array<uint32_t, 4>{0x10378, 0x278, 0, 0}));
    EXPECT_EQ(driver.AcquireCount(), 0);
    EXPECT_FALSE(driver.Acquire("LPT1"));  // the port cannot be claimed

    auto why = driver.Diagnose();
    EXPECT_EQ(why[0].name, "LPT1");
    EXPECT_TRUE(why[0].present);
    EXPECT_NE(why[0].problem.find("cannot be claimed"), std::string::npos) << why[0].problem;
    EXPECT_NE(why[2].problem.find("modprobe ppdev"), std::string::npos) << why[2].problem;
    EXPECT_NE(why[3].problem.find("no such port"), std::string::npos) << why[3].problem;
}

TEST(PpdevPortDriver, WithoutParallelPortSupportEveryPortIsAbsent) {
    Machine m;
    PpdevPortDriver driver(m.proc(), m.dev());
    std::array<PortRecord, 4> slots;
    EXPECT_TRUE(driver.ListPorts(slots));
    for (const auto& s : slots) EXPECT_EQ(s.base, 0);
    EXPECT_EQ(FindMxDevice(nullptr, driver), kNoPortChosen);
    for (const auto& d : driver.Diagnose()) {
        EXPECT_FALSE(d.present);
        EXPECT_NE(d.problem.find("modprobe parport_pc ppdev"), std::string::npos) << d.problem;
    }
    // Registers of an absent port read as a floating bus.
    EXPECT_EQ(driver.ReadRegister(0x379), 0xFF);
}
