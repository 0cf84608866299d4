#include "tools/kp50/DeviceOptions.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/Settings.h"
#include "memview/link/FindMxDevice.h"
#include "tools/kp50/Command.h"

namespace kp50 {

using namespace zanto;

int ExitStatusFor(DeviceError error) {
    if (error == DeviceError::None) return 0;
    if (error == DeviceError::Cancelled) return kExitCancelled;
    return 10 + static_cast<int>(error);
}

DeviceOptions& GlobalDeviceOptions() {
    static DeviceOptions options;
    return options;
}

std::optional<PortValue> ParsePortValue(const std::string& text) {
    if (text.size() == 4 && text.compare(0, 3, "LPT") == 0 && text[3] >= '1' && text[3] <= '4') {
        std::array<uint32_t, 4> slots{};
        FindMxDevice(slots.data());
        uint32_t value = slots[static_cast<size_t>(text[3] - '1')];
        if (value == 0) return std::nullopt;
        return value;
    }
    if (text.empty() || text[0] == '-') return std::nullopt;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (!end || *end != '\0' || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<PortValue>(value);
}

void PrepareDevice(MemoryDevice& device) {
    const DeviceOptions& options = GlobalDeviceOptions();
    PortValue port = kNoPortChosen;
    if (options.port) {
        port = *options.port;
    } else {
        port = static_cast<PortValue>(settings::ReadPort());
        if (port == kNoPortChosen) {
            port = FindMxDevice(nullptr, device.Driver());
            if (port != kNoPortChosen) settings::WritePort(static_cast<int32_t>(port));
        }
    }
    device.ClearError();
    device.SetPort(port);
    device.SetMemoryType(options.card ? MemoryType::Card : MemoryType::Internal);
}

Clock& DeviceClock() {
    static Clock* clock = [] {
        const char* virtualPlayer = std::getenv("ZANTO_VIRTUAL_PLAYER");
        const char* virtualClock = std::getenv("ZANTO_VIRTUAL_CLOCK");
        if (virtualPlayer && *virtualPlayer && virtualClock && *virtualClock) {
            static FakeClock fake(Clock::System().CalendarSeconds());
            return static_cast<Clock*>(&fake);
        }
        return &Clock::System();
    }();
    return *clock;
}

std::unique_ptr<MemoryDevice> OpenDevice(const char* command, int* status) {
    (void)command;  // every option was checked by main; nothing left to refuse here
    auto device = std::make_unique<MemoryDevice>(ProcessPortDriver(), DeviceClock());
    PrepareDevice(*device);
    if (status) *status = 0;
    return device;
}

int ReportError(const char* command, DeviceError error) {
    std::string text = DeviceErrorText(error);
    for (auto& c : text)
        if (c == '\n') c = ' ';
    if (error == DeviceError::Cancelled) return ExitStatusFor(error);
    const bool portTrouble = error == DeviceError::NoPort || error == DeviceError::NotConnected ||
                             error == DeviceError::PortBusy;
    if (portTrouble) text += " (see 'kp50 ports')";
    Fail(command, text);
    if (portTrouble) {
        // Say why, where the driver knows: a port held elsewhere, a missing module, permissions.
        const auto diagnosis = ProcessPortDriver().Diagnose();
        bool anyPresent = false;
        for (const auto& d : diagnosis) anyPresent = anyPresent || d.present;
        std::vector<std::string> said;
        for (const auto& d : diagnosis) {
            if (d.problem.empty() || (anyPresent && !d.present)) continue;
            if (std::find(said.begin(), said.end(), d.problem) != said.end()) continue;
            said.push_back(d.problem);
            Fail(command, (anyPresent ? d.name + ": " : std::string()) + d.problem);
        }
    }
    return ExitStatusFor(error);
}

}  // namespace kp50
