#include "memview/link/VirtualPortDriver.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zanto {

namespace {

constexpr const char* kLockName = ".port.lock";

std::shared_ptr<VirtualPlayer> OpenOrCreate(const std::string& folder, Clock& clock) {
    const std::string internal = folder + "/" + kInternalImageName;
    if (::access(internal.c_str(), F_OK) != 0) {
        std::string ignored;  // an unusable folder shows as a player that does not open
        VirtualPlayer::Create(folder, VirtualPlayer::DefaultInternalCodes(),
                              VirtualPlayer::DefaultCardCodes(), &ignored);
    }
    auto player = std::make_shared<VirtualPlayer>(folder, clock);
    // Faults for a run in another process (demos, tool tests) come from a file beside the images.
    std::ifstream faults(folder + "/" + kFaultsFileName);
    if (faults && player->IsOpen()) {
        std::stringstream text;
        text << faults.rdbuf();
        std::string error;
        if (!player->ApplyFaults(text.str(), &error))
            std::fprintf(stderr, "virtual player: %s/%s: %s\n", folder.c_str(), kFaultsFileName,
                         error.c_str());
    }
    if (const char* speed = std::getenv("ZANTO_VIRTUAL_SPEED"); speed && *speed) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(speed, &end, 10);
        if (end && *end == '\0') player->SetSpeedLimit(value);
    }
    return player;
}

}  // namespace

VirtualPortDriver::VirtualPortDriver(const std::string& folder, Clock& clock)
    : player_(OpenOrCreate(folder, clock)) {}

VirtualPortDriver::VirtualPortDriver(std::shared_ptr<VirtualPlayer> player)
    : player_(std::move(player)) {}

VirtualPortDriver::~VirtualPortDriver() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

uint8_t VirtualPortDriver::ReadRegister(uint16_t address) {
    const uint16_t offset = static_cast<uint16_t>(address - kVirtualPortBase);
    return offset <= 2 ? player_->ReadRegister(offset) : 0xFF;
}

void VirtualPortDriver::WriteRegister(uint16_t address, uint8_t value) {
    const uint16_t offset = static_cast<uint16_t>(address - kVirtualPortBase);
    if (offset <= 2) player_->WriteRegister(offset, value);
}

bool VirtualPortDriver::BeginList() {
    listed_ = false;
    return true;
}

bool VirtualPortDriver::NextPort(PortRecord& record) {
    if (listed_) return false;
    listed_ = true;
    record.base = kVirtualPortBase;
    record.identification = "Virtual player port (PNP0400)";
    record.name = "LPT1";
    return true;
}

bool VirtualPortDriver::Claim(const std::string& name) {
    if (name != "LPT1" || lockFd_ >= 0) return false;
    const std::string path = player_->Folder() + "/" + kLockName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

bool VirtualPortDriver::Unclaim() {
    if (lockFd_ < 0) return false;
    ::close(lockFd_);
    lockFd_ = -1;
    return true;
}

std::array<PortDiagnosis, 4> VirtualPortDriver::Diagnose() {
    std::array<PortDiagnosis, 4> out;
    for (int i = 0; i < 4; ++i) {
        out[i].name = "LPT" + std::to_string(i + 1);
        if (i > 0) out[i].problem = "the virtual machine has only LPT1";
    }
    out[0].present = true;
    if (!player_->IsOpen()) {
        out[0].problem = "the virtual player cannot be opened: " + player_->OpenError();
    } else if (lockFd_ < 0) {
        const std::string path = player_->Folder() + "/" + kLockName;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
            out[0].problem = "the port is held by another program";
        if (fd >= 0) ::close(fd);
    }
    return out;
}

}  // namespace zanto
