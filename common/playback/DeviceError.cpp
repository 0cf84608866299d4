#include "common/playback/DeviceError.h"

namespace zanto::playback {

const char* DeviceErrorText(int32_t error) {
    switch (error) {
        case kDeviceOk: return "The command completed.";
        case kDeviceNotOpen: return "The device is not open.";
        case kDeviceFileNotFound: return "The file cannot be opened.";
        case kDeviceInvalidFile: return "The file is not of a form this device plays.";
        case kDeviceCannotRead: return "The file cannot be read.";
        case kDeviceOutputUnavailable: return "The sound output cannot be opened.";
        case kDeviceUnsupportedItem: return "The device does not support this request.";
        case kDeviceAlreadyOpen: return "The device is already open.";
        case kDeviceSynthUnavailable: return "The synthesizer or its sound font cannot be loaded.";
    }
    return "Unknown device error.";
}

}  // namespace zanto::playback
