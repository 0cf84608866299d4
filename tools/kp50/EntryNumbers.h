#pragma once
// The entry numbers the device commands take and print: the window's row numbers, entry index + 1
// (play list 1..50, data list 51..60).
#include <cstdlib>
#include <optional>
#include <string>

#include "memview/link/MemoryDevice.h"

namespace kp50 {

// The entry index of a number argument, when it is a whole number 1..60 naming an entry.
inline std::optional<int> ParseEntryNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const int number = std::atoi(text.c_str());
    if (number < 1 || number > 60) return std::nullopt;
    return number - 1;
}

inline bool IsEntry(const zanto::MemoryDevice& device, int index) {
    return device.Image().IsValidIndex(index);
}

}  // namespace kp50
