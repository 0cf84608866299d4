#include "memview/link/FindMxDevice.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "memview/link/MemoryDevice.h"

namespace zanto {

PortValue FindMxDevice(uint32_t* slots, PortDriver& driver) {
    MemoryDevice device(driver);
    std::array<PortRecord, 4> records;
    driver.ListPorts(records);
    std::array<uint32_t, 4> values{};
    for (size_t i = 0; i < 4; ++i) {
        if (records[i].base == 0) continue;
        std::string id = records[i].identification;
        std::transform(id.begin(), id.end(), id.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (id.find("PNP0400") != std::string::npos)
            values[i] = records[i].base;
        else if (id.find("PNP0401") != std::string::npos)
            values[i] = records[i].base + 0x10000u;
    }
    if (slots) std::copy(values.begin(), values.end(), slots);
    PortValue found = kNoPortChosen;
    for (size_t i = 0; i < 4 && found == kNoPortChosen; ++i) {
        if (values[i] == 0) continue;
        device.SetPort(values[i]);
        if (device.Probe()) found = values[i];
    }
    driver.Idle();
    return found;
}

}  // namespace zanto
