#pragma once
// The parallel-port driver: lists the machine's ports, grants one port for exclusive use while a
// link is open, and reaches the port's registers. One driver serves the whole process; every open
// link shares its acquire count, so the port is claimed by the first link and given back by the
// last. Two drivers exist: Linux ppdev (real hardware) and the built-in virtual player.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace zanto {

// What the driver tells about one port.
struct PortRecord {
    uint16_t base = 0;          // I/O base address; 0 = unused record
    std::string identification; // holds "PNP0400" (standard) or "PNP0401" (ECP), any letter case
    std::string name;           // "LPT1".."LPT4"; records with other names are ignored
};

// Why a port slot cannot be used, for the user ("kp50 ports"); empty when it can.
struct PortDiagnosis {
    std::string name;     // "LPT1".."LPT4"
    bool present = false; // the driver lists it
    std::string problem;  // empty, or what stands in the way and how to mend it
};

class PortDriver {
public:
    virtual ~PortDriver() = default;

    // Fills slots 0..3 by the records' names "LPT1".."LPT4" (a later record of the same name wins).
    // False, with all slots empty, when the driver cannot list.
    bool ListPorts(std::array<PortRecord, 4>& slots);
    // Takes the named port for this process unless an open link already holds it; true when held.
    bool Acquire(const std::string& name);
    // Gives the port back when the last holder releases; true when no link holds it any more.
    bool Release();
    uint16_t AcquireCount() const;

    // Register access at an absolute I/O address (base + offset).
    virtual uint8_t ReadRegister(uint16_t address) = 0;
    virtual void WriteRegister(uint16_t address, uint8_t value) = 0;

    // One entry per slot LPT1..LPT4.
    virtual std::array<PortDiagnosis, 4> Diagnose() = 0;
    // Drops any hold on ports taken only for register access outside a link (after a search).
    virtual void Idle() {}

protected:
    // The driver's four requests.
    virtual bool BeginList() = 0;                    // start listing the ports
    virtual bool NextPort(PortRecord& record) = 0;   // next port; false ends the list
    virtual bool Claim(const std::string& name) = 0; // exclusive use; false: held by someone else
    virtual bool Unclaim() = 0;                      // give the port back

private:
    // Links open and close on the window's thread and on transfer threads alike, so the count
    // and the claim it guards change under a lock.
    mutable std::mutex countMutex_;
    uint16_t acquireCount_ = 0;
};

// The process's driver: the one installed, else the virtual player when ZANTO_VIRTUAL_PLAYER
// names a folder, else ppdev. Created on first use.
PortDriver& ProcessPortDriver();
// Replaces the process's driver (programs after parsing options; tests). Not while links are open.
void InstallPortDriver(std::shared_ptr<PortDriver> driver);

}  // namespace zanto
