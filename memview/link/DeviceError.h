#pragma once
// The numbered last error of every device operation. A device operation returns a success flag
// and leaves its reason in the device; callers show the text and clear the error.
#include <cstdint>

#include "memview/link/StringTable.h"

namespace zanto {

enum class DeviceError : uint16_t {
    None = 0,
    NoPort = 1,
    OutOfMemory = 2,
    NoSpace = 3,
    Timeout = 4,
    UnsupportedVersion = 5,
    NotConnected = 6,
    BadBlock = 7,
    MemoryFault = 8,
    CardRemoved = 9,
    Critical = 10,
    DirectoryChecksum = 11,
    Cancelled = 12,
    TooManyFiles = 13,
    ViewMismatch = 14,
    Unstable = 15,
    CannotOpenFile = 16,
    FileRead = 17,
    FileWrite = 18,
    MemoryTypeUnsupported = 19,
    HandshakeFailed = 20,
    NoFlash = 21,
    FlashRead = 22,
    FlashWrite = 23,
    PortBusy = 24,
    PageChecksum = 25,
};

inline constexpr uint16_t kDeviceErrorCount = 26;

// The user-facing text of an error (" " for None and Cancelled, so nothing meaningful shows).
const char* DeviceErrorText(DeviceError error);

// The enumerator's name ("NotConnected"), for logs and machine-readable output.
const char* DeviceErrorName(DeviceError error);

}  // namespace zanto
