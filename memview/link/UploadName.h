#pragma once
// Where an uploaded file goes: a name read from the player made safe for the computer's file
// system, and the name-clash rule.
#include <functional>
#include <string>

namespace zanto {

// A player's file name as a single name inside the destination folder: "/", "\" and NUL become
// "_", and "." or ".." (or nothing) cannot name a folder. The rest of the name is kept.
std::string SafeFileName(const std::string& name);

// folder + "/" + name, or, when that exists, the first free "%s(%d).%s" of the name split at its
// first "." (a "." between double quotes does not count; a name without one keeps a trailing
// "."). Empty when no free name is found.
std::string ClashFreePath(const std::string& folder, const std::string& name,
                          const std::function<bool(const std::string&)>& exists);

// True when anything (even a dangling link) has that path.
bool PathTaken(const std::string& path);

}  // namespace zanto
