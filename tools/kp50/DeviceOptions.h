#pragma once
// The global device options of kp50 (--port, --card) and the preparation of a MemoryDevice from
// them, shared by every command that talks to the player.
#include <memory>
#include <optional>
#include <string>

#include "memview/link/MemoryDevice.h"

namespace kp50 {

// Exit status of a command: 0 success, 2 usage, 3 cancelled, 10 + DeviceError code otherwise.
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 3;
int ExitStatusFor(zanto::DeviceError error);

struct DeviceOptions {
    std::optional<zanto::PortValue> port;  // --port VALUE
    bool card = false;                     // --card: the memory card instead of internal memory
};

// Filled by main before the command runs.
DeviceOptions& GlobalDeviceOptions();

// Parses a --port value: a number ("0x378", "888", "0x10378": base plus kind << 16) or a port
// name "LPT1".."LPT4" (looked up in the driver's list). Empty on a malformed value.
std::optional<zanto::PortValue> ParsePortValue(const std::string& text);

// Sets the device's port and memory type for a command: the --port value, else the "port"
// setting, else a search with FindMxDevice (a port found is stored in the setting). A device
// without any port ends up on "no port", which its OpenLink reports as NoPort.
void PrepareDevice(zanto::MemoryDevice& device);

// The clock of the tool's devices: the real one, or - only with the virtual player and
// ZANTO_VIRTUAL_CLOCK set, for scripted runs and tests - a clock that never waits, starting at
// the real calendar time.
zanto::Clock& DeviceClock();

// A MemoryDevice on the process's port driver, prepared as above. Null (with *status set to
// the exit status) when the options cannot be served.
std::unique_ptr<zanto::MemoryDevice> OpenDevice(const char* command, int* status);

// Reports an error as "kp50 COMMAND: text" on stderr (with a hint for port trouble; nothing for
// a cancel) and returns the exit status for it.
int ReportError(const char* command, zanto::DeviceError error);

}  // namespace kp50
