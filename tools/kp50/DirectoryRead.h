#pragma once
// Reading the memory's directory for a command, with a pointer to the cure for an older format.
#include <cstdio>

#include "memview/link/MemoryDevice.h"
#include "tools/kp50/DeviceOptions.h"

namespace kp50 {

// 0 when the directory was read; otherwise the error is reported and its exit status returned.
inline int ReadDirectoryFor(const char* command, zanto::MemoryDevice& device) {
    if (device.Refresh()) return 0;
    const zanto::DeviceError error = device.LastError();
    const int status = ReportError(command, error);
    if (error == zanto::DeviceError::UnsupportedVersion &&
        device.VersionRead() < zanto::kFormatVersion) {
        std::fprintf(stderr,
                     "kp50 %s: the memory holds an older format (version 0x%04X); "
                     "'kp50 init' converts it (deleting its files)\n",
                     command, device.VersionRead());
    }
    return status;
}

}  // namespace kp50
