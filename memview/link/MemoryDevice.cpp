// The port and the link of a MemoryDevice: register access, opening and closing the link.
#include "memview/link/MemoryDevice.h"

#include <ctime>

namespace zanto {

namespace {

// Calendar seconds of 1 January 1980, 00:00 local time: "no link has ended yet".
int64_t Start1980() {
    std::tm t{};
    t.tm_year = 80;
    t.tm_mon = 0;
    t.tm_mday = 1;
    t.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&t));
}

}  // namespace

MemoryDevice::MemoryDevice(PortDriver& driver, Clock& clock)
    : driver_(driver), clock_(clock), lastLinkEnd_(Start1980()) {}

MemoryDevice::~MemoryDevice() = default;

uint8_t MemoryDevice::ReadRegister(uint16_t offset) {
    return driver_.ReadRegister(static_cast<uint16_t>(portBase_ + offset));
}

bool MemoryDevice::WriteRegister(uint16_t offset, uint8_t value) {
    driver_.WriteRegister(static_cast<uint16_t>(portBase_ + offset), value);
    return true;
}

bool MemoryDevice::SetPort(PortValue port) {
    if (lastError_ != DeviceError::None) return false;
    portBase_ = PortBaseOf(port);
    portKind_ = PortKindOf(port);
    return true;
}

MemoryType MemoryDevice::SetMemoryType(MemoryType type) {
    MemoryType previous = memoryType_;
    memoryType_ = type;
    return previous;
}

bool MemoryDevice::OpenLink() {
    if (clock_.CalendarSeconds() - lastLinkEnd_ < 2) Pause(std::chrono::milliseconds(1000));

    // A second OpenLink without CloseLink keeps the one acquisition it already holds, so the
    // shared count cannot be left raised for good.
    if (!holdsAcquisition_) {
        std::array<PortRecord, 4> slots;
        driver_.ListPorts(slots);
        for (const auto& slot : slots) {
            if (slot.base == 0 || slot.base != portBase_) continue;
            if (!driver_.Acquire(slot.name)) {
                lastError_ = DeviceError::PortBusy;
                return false;
            }
            holdsAcquisition_ = true;
            break;
        }
    }
    if (portKind_ == kPortKindEcp) {
        savedEcp_ = ReadRegister(kEcpControlRegister);
        WriteRegister(kEcpControlRegister, 0);
    }
    if (portBase_ == 0xFFFF) {
        lastError_ = DeviceError::NoPort;
        return false;
    }
    if (!Probe()) {
        lastError_ = DeviceError::NotConnected;
        return false;
    }
    if (!Greet()) {
        lastError_ = DeviceError::HandshakeFailed;
        return false;
    }
    return true;
}

bool MemoryDevice::CloseLink() {
    if (holdsAcquisition_) {
        Farewell();
        WriteRegister(kDataRegister, 0);
        if (portKind_ == kPortKindEcp) WriteRegister(kEcpControlRegister, savedEcp_);
        driver_.Release();
        holdsAcquisition_ = false;
    }
    lastLinkEnd_ = clock_.CalendarSeconds();
    return true;
}

}  // namespace zanto
