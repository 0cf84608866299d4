#pragma once
// The texts the transfer batches show, by their numbers in memview's string table.
#include <string>
#include <vector>

namespace zanto::texts {

inline constexpr const char* kCannotRead = "Cannot open or read file,\n %1.\n\nContinue?";  // 6
inline constexpr const char* kCannotReadRenamed =
    "Cannot open or read file,\n %1(renamed to %2).\n\nContinue?";  // 7
inline constexpr const char* kInitializing = "Initializing Zanto KP50.\nPlease wait...";  // 1016
inline constexpr const char* kConverting = "Converting the Flash Memory format.\nPlease wait...";  // 1017

// Replaces %1, %2 ... with the arguments; other text stays as it is.
std::string Substitute(const std::string& pattern, const std::vector<std::string>& args);

}  // namespace zanto::texts
