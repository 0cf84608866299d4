#pragma once
// The real parallel ports through Linux ppdev: /dev/parport0../dev/parport3 stand for LPT1..LPT4,
// described by /proc/sys/dev/parport/parportN. A link claims its port exclusively; a search claims
// a port only for the moment of its probe. The ECP extended control register is out of ppdev's
// reach, so its save/clear/restore becomes: remember the port's mode, switch to compatibility
// mode, restore the remembered mode.
#include <map>
#include <string>

#include "memview/link/PortDriver.h"

namespace zanto {

class PpdevPortDriver final : public PortDriver {
public:
    // The roots are replaceable so that tests can describe a machine.
    explicit PpdevPortDriver(std::string procRoot = "/proc/sys/dev/parport",
                             std::string devRoot = "/dev");
    ~PpdevPortDriver() override;

    uint8_t ReadRegister(uint16_t address) override;
    void WriteRegister(uint16_t address, uint8_t value) override;
    std::array<PortDiagnosis, 4> Diagnose() override;
    void Idle() override;

protected:
    bool BeginList() override;
    bool NextPort(PortRecord& record) override;
    bool Claim(const std::string& name) override;
    bool Unclaim() override;

private:
    struct Port {
        int index = -1;      // N of /dev/parportN
        uint16_t base = 0;
        bool ecp = false;
    };
    // Reads /proc for port N; false when the kernel does not list it.
    bool Describe(int index, Port& port) const;
    std::string DevicePath(int index) const;
    // The open descriptor serving an I/O address and the register offset within the port.
    int DescriptorFor(uint16_t address, uint16_t& offset);

    std::string procRoot_;
    std::string devRoot_;
    std::map<int, Port> listed_;   // ports of the last listing, by index
    int listCursor_ = 0;
    int claimedIndex_ = -1;        // the port held for a link
    int claimedFd_ = -1;
    std::map<int, int> looseFds_;  // ports held only for register access, by index
    int savedMode_ = -1;
};

}  // namespace zanto
