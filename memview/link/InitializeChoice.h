#pragma once
// Which initialization a memory gets: the user confirms, the memory's format is checked, and the
// format decides between a quick initialize, a scan for bad blocks and the older-format
// conversion. The choice runs where questions can be asked (the window's thread, the terminal);
// the chosen initialization then runs on a worker.
#include <string>

#include "memview/link/MemoryDevice.h"

namespace zanto {

// The questions, texts of memview's string table.
inline constexpr unsigned kInitializeQuestionId = 5;
inline constexpr const char* kInitializeQuestion =
    "Initializing will delete all data. \nContinue?";
inline constexpr unsigned kOtherEquipmentQuestionId = 11;
inline constexpr const char* kOtherEquipmentQuestion =
    "After initializing, the Flash Memory Card can only be used with Zanto.\nContinue?";

class InitializeQuestions {
public:
    virtual ~InitializeQuestions() = default;
    // Yes/No with No as the default answer; true for Yes.
    virtual bool AskYesNo(unsigned stringId, const std::string& text) = 0;
};

enum class InitializeKind {
    Declined,       // the user answered No: nothing happens
    NotRecognised,  // the format check failed: nothing happens (the device's error says why)
    Quick,
    Scan,
    Convert,
};

// Asks (unless the device's show-errors flag is clear, which answers Yes), checks the format and
// returns the initialization to run. questions may be null: every answer is Yes.
InitializeKind ChooseInitialization(MemoryDevice& device, InitializeQuestions* questions);

// Runs the chosen initialization; false for Declined and NotRecognised.
bool RunInitialization(MemoryDevice& device, InitializeKind kind, ProgressSink* progress);

}  // namespace zanto
