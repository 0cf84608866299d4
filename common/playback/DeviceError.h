#pragma once
// Results of the playback device's commands. 0 is success; every other value is kept as the
// device's last error and has a text.
#include <cstdint>

namespace zanto::playback {

enum DeviceError : int32_t {
    kDeviceOk = 0,
    kDeviceNotOpen = 1,          // the device is closed (never opened, or closed by a failure)
    kDeviceFileNotFound = 2,     // the element cannot be opened
    kDeviceInvalidFile = 3,      // the element is not of a form this device plays
    kDeviceCannotRead = 4,       // a read failed while opening
    kDeviceOutputUnavailable = 5,  // the sound output cannot be opened
    kDeviceUnsupportedItem = 6,  // a status item or time format this device does not have
    kDeviceAlreadyOpen = 7,
    kDeviceSynthUnavailable = 8,  // the synthesizer or its sound font cannot be loaded
};

const char* DeviceErrorText(int32_t error);

}  // namespace zanto::playback
