#pragma once
// Minimal JSON output for the command-line tool's --json modes.
#include <string>

namespace zanto {

// The text as a JSON string literal; invalid UTF-8 bytes become U+FFFD.
std::string JsonQuote(const std::string& text);

}  // namespace zanto
