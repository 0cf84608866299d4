#include "memview/link/PortDriver.h"

#include <cstdlib>
#include <mutex>

#include "memview/link/PpdevPortDriver.h"
#include "memview/link/VirtualPortDriver.h"


namespace zanto {

bool PortDriver::ListPorts(std::array<PortRecord, 4>& slots) {
    slots = {};
    if (!BeginList()) return false;
    static const char* const kNames[4] = {"LPT1", "LPT2", "LPT3", "LPT4"};
    PortRecord record;
    while (NextPort(record)) {
        for (size_t i = 0; i < 4; ++i) {
            if (record.name == kNames[i]) {
                slots[i] = record;
                break;
            }
        }
        record = PortRecord{};
    }
    return true;
}

uint16_t PortDriver::AcquireCount() const {
    std::lock_guard lock(countMutex_);
    return acquireCount_;
}

bool PortDriver::Acquire(const std::string& name) {
    std::lock_guard lock(countMutex_);
    if (acquireCount_ > 0) {
        ++acquireCount_;
        return true;
    }
    if (Claim(name)) ++acquireCount_;
    return acquireCount_ > 0;
}

bool PortDriver::Release() {
    std::lock_guard lock(countMutex_);
    if (acquireCount_ >= 2) {
        --acquireCount_;
        return true;
    }
    if (acquireCount_ == 1 && Unclaim()) --acquireCount_;
    return acquireCount_ == 0;
}

namespace {

std::mutex& DriverMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<PortDriver>& InstalledDriver() {
    static std::shared_ptr<PortDriver> driver;
    return driver;
}

}  // namespace

PortDriver& ProcessPortDriver() {
    std::lock_guard lock(DriverMutex());
    auto& driver = InstalledDriver();
    if (!driver) {
        const char* dir = std::getenv("ZANTO_VIRTUAL_PLAYER");
        if (dir && *dir)
            driver = std::make_shared<VirtualPortDriver>(dir);
        else
            driver = std::make_shared<PpdevPortDriver>();
    }
    return *driver;
}

void InstallPortDriver(std::shared_ptr<PortDriver> driver) {
    std::lock_guard lock(DriverMutex());
    InstalledDriver() = std::move(driver);
}

}  // namespace zanto
