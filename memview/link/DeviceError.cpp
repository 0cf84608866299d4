#include "memview/link/DeviceError.h"

namespace zanto {

namespace {

constexpr const char* kNames[kDeviceErrorCount] = {
    "None",          "NoPort",         "OutOfMemory",
    "NoSpace",       "Timeout",        "UnsupportedVersion",
    "NotConnected",  "BadBlock",       "MemoryFault",
    "CardRemoved",   "Critical",       "DirectoryChecksum",
    "Cancelled",     "TooManyFiles",   "ViewMismatch",
    "Unstable",      "CannotOpenFile", "FileRead",
    "FileWrite",     "MemoryTypeUnsupported", "HandshakeFailed",
    "NoFlash",       "FlashRead",      "FlashWrite",
    "PortBusy",      "PageChecksum",
};

}  // namespace

const char* DeviceErrorText(DeviceError error) {
    return MemviewString(1001u + static_cast<unsigned>(error));
}

const char* DeviceErrorName(DeviceError error) {
    const auto code = static_cast<unsigned>(error);
    return code < kDeviceErrorCount ? kNames[code] : "Unknown";
}

}  // namespace zanto
