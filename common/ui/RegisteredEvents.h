#pragma once
// Process-wide numbers for the named messages that windows of the program and of the player-memory
// library post to each other. The table lives in one shared library so that both files of the
// process see the same number for the same name, whichever registers it first.
#include <string_view>

namespace zanto::ui {

// Names of the messages that cross between windows.
inline constexpr std::string_view kMxCreateFrame = "MxCreateFrame";
inline constexpr std::string_view kMxPlayFiles = "MxPlayFiles";
inline constexpr std::string_view kMxListCtrlEx = "MxListCtrlEx";
inline constexpr std::string_view kMxZantoInterface = "MxZantoInterface";
inline constexpr std::string_view kMxZantoCommandStatus = "MxZantoCommandStatus";

// Numbers are handed out upwards from here; Qt's own registrations count down from 65535 and the
// fixed user numbers sit just above 1000, so neither meets this range in practice.
inline constexpr int kFirstRegisteredEvent = 0x4000;
inline constexpr int kLastRegisteredEvent = 0x7FFF;

// The number for name, registering it on first use; the same name always gives the same number.
// An empty name, or a full table, gives 0 (no event type). Thread-safe.
int RegisteredEventType(std::string_view name);

// The name registered under number, or an empty view when the number is not in the table.
std::string_view RegisteredEventName(int type);

}  // namespace zanto::ui
