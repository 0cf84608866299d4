#include "memview/link/PpdevPortDriver.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zanto {

namespace {

int IndexOfName(const std::string& name) {
    if (name.size() == 4 && name.compare(0, 3, "LPT") == 0 && name[3] >= '1' && name[3] <= '4')
        return name[3] - '1';
    return -1;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Opens and claims a port; exclusive for a link. -1 with errno on failure.
int OpenClaimed(const std::string& path, bool exclusive) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    if ((exclusive && ::ioctl(fd, PPEXCL) != 0) || ::ioctl(fd, PPCLAIM) != 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    return fd;
}

void CloseClaimed(int fd) {
    if (fd < 0) return;
    ::ioctl(fd, PPRELEASE);
    ::close(fd);
}

}  // namespace

PpdevPortDriver::PpdevPortDriver(std::string procRoot, std::string devRoot)
    : procRoot_(std::move(procRoot)), devRoot_(std::move(devRoot)) {}

PpdevPortDriver::~PpdevPortDriver() {
    Idle();
    CloseClaimed(claimedFd_);
}

std::string PpdevPortDriver::DevicePath(int index) const {
    return devRoot_ + "/parport" + std::to_string(index);
}

bool PpdevPortDriver::Describe(int index, Port& port) const {
    const std::string dir = procRoot_ + "/parport" + std::to_string(index);
    std::string base = ReadSmallFile(dir + "/base-addr");
    if (base.empty()) return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(base.c_str(), &end, 10);
    if (end == base.c_str() || value == 0 || value > 0xFFFF) return false;
    port.index = index;
    port.base = static_cast<uint16_t>(value);
    port.ecp = ReadSmallFile(dir + "/modes").find("ECP") != std::string::npos;
    return true;
}

bool PpdevPortDriver::BeginList() {
    listed_.clear();
    listCursor_ = 0;
    for (int i = 0; i < 4; ++i) {
        Port port;
        // A port without its device file, or one this user may not open, is simply absent.
        if (Describe(i, port) && ::access(DevicePath(i).c_str(), R_OK | W_OK) == 0)
            listed_[i] = port;
    }
    return true;
}

bool PpdevPortDriver::NextPort(PortRecord& record) {
    while (listCursor_ < 4) {
        int i = listCursor_++;
        auto it = listed_.find(i);
        if (it == listed_.end()) continue;
        record.base = it->second.base;
        record.identification = std::string("parport") + std::to_string(i) +
                                (it->second.ecp ? " PNP0401" : " PNP0400");
        record.name = "LPT" + std::to_string(i + 1);
        return true;
    }
    return false;
}

bool PpdevPortDriver::Claim(const std::string& name) {
    int index = IndexOfName(name);
    if (index < 0) return false;
    // A hold taken for a search gives way to the exclusive one.
    if (auto it = looseFds_.find(index); it != looseFds_.end()) {
        CloseClaimed(it->second);
        looseFds_.erase(it);
    }
    int fd = OpenClaimed(DevicePath(index), true);
    if (fd < 0) return false;
    claimedIndex_ = index;
    claimedFd_ = fd;
    if (!listed_.count(index)) {
        Port port;
        if (Describe(index, port)) listed_[index] = port;
    }
    return true;
}

bool PpdevPortDriver::Unclaim() {
    if (claimedFd_ < 0) return false;
    CloseClaimed(claimedFd_);
    claimedFd_ = -1;
    claimedIndex_ = -1;
    savedMode_ = -1;
    return true;
}

void PpdevPortDriver::Idle() {
    for (auto& [index, fd] : looseFds_) CloseClaimed(fd);
    looseFds_.clear();
}

int PpdevPortDriver::DescriptorFor(uint16_t address, uint16_t& offset) {
    for (const auto& [index, port] : listed_) {
        uint16_t off = static_cast<uint16_t>(address - port.base);
        if (off > 2 && off != 0x402) continue;
        offset = off;
        if (index == claimedIndex_) return claimedFd_;
        auto it = looseFds_.find(index);
        if (it != looseFds_.end()) return it->second;
        int fd = OpenClaimed(DevicePath(index), false);
        if (fd < 0) return -1;
        looseFds_[index] = fd;
        return fd;
    }
    return -1;
}

uint8_t PpdevPortDriver::ReadRegister(uint16_t address) {
    uint16_t offset = 0;
    int fd = DescriptorFor(address, offset);
    if (fd < 0) return 0xFF;  // nothing there: the bus floats high
    unsigned char value = 0xFF;
    switch (offset) {
    case 0: ::ioctl(fd, PPRDATA, &value); break;
    case 1: ::ioctl(fd, PPRSTATUS, &value); break;
    case 2: ::ioctl(fd, PPRCONTROL, &value); break;
    default: {
        int mode = 0;
        if (::ioctl(fd, PPGETMODE, &mode) == 0) savedMode_ = mode;
        value = 0x01;  // stands for "the mode remembered by the driver"
        break;
    }
    }
    return value;
}

void PpdevPortDriver::WriteRegister(uint16_t address, uint8_t value) {
    uint16_t offset = 0;
    int fd = DescriptorFor(address, offset);
    if (fd < 0) return;
    unsigned char v = value;
    switch (offset) {
    case 0: ::ioctl(fd, PPWDATA, &v); break;
    case 1: break;  // the status register is read-only
    case 2: ::ioctl(fd, PPWCONTROL, &v); break;
    default: {
        int mode = IEEE1284_MODE_COMPAT;
        if (value != 0 && savedMode_ >= 0) mode = savedMode_;
        ::ioctl(fd, PPSETMODE, &mode);
        break;
    }
    }
}

std::array<PortDiagnosis, 4> PpdevPortDriver::Diagnose() {
    std::array<PortDiagnosis, 4> out;
    const bool parportLoaded = Exists(procRoot_);
    for (int i = 0; i < 4; ++i) {
        PortDiagnosis& d = out[i];
        d.name = "LPT" + std::to_string(i + 1);
        Port port;
        const std::string dev = DevicePath(i);
        if (!parportLoaded) {
            d.problem = "no parallel-port support in the kernel: load it with "
                        "'sudo modprobe parport_pc ppdev'";
            continue;
        }
        if (!Describe(i, port)) {
            d.problem = "the machine has no such port";
            continue;
        }
        if (!Exists(dev)) {
            d.problem = "the ppdev module is not loaded (" + dev +
                        " is missing): load it with 'sudo modprobe ppdev'";
            continue;
        }
        if (::access(dev.c_str(), R_OK | W_OK) != 0) {
            struct stat st;
            std::string group = "lp";
            if (::stat(dev.c_str(), &st) == 0)
                if (const struct group* g = ::getgrgid(st.st_gid)) group = g->gr_name;
            d.problem = "no permission on " + dev + ": join the group '" + group +
                        "' ('sudo usermod -aG " + group + " $USER'), then log in again";
            continue;
        }
        d.present = true;
        if (i == claimedIndex_) continue;
        int fd = OpenClaimed(dev, true);
        if (fd < 0) {
            // An exclusive claim is refused while any other driver is registered on the port,
            // the printer driver lp included.
            d.problem = errno == EBUSY || errno == ENXIO
                            ? "the port is held by another program or driver (the printer driver: "
                              "'sudo rmmod lp')"
                            : "the port cannot be claimed";
            continue;
        }
        CloseClaimed(fd);
    }
    return out;
}

}  // namespace zanto
