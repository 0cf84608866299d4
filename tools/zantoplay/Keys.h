#pragma once
// The keys of the terminal player and the actions they stand for.
#include <string>
#include <vector>

namespace zantoplay {

enum class Action { PauseResume, Next, Previous, SeekBack, SeekForward, VolumeDown, VolumeUp, Quit };

// The actions of the bytes read from the terminal, in order; unknown bytes are ignored.
std::vector<Action> ParseKeys(const std::string& bytes);

// One line per key for the help text.
const char* KeyHelp();

}  // namespace zantoplay
