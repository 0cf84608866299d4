#pragma once
// The kp50 tool's commands. Each command file registers itself with a static Kp50Registration,
// so adding a command touches no other file.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace kp50 {

struct Command {
    const char* name;
    const char* usage;    // the arguments after the name, e.g. "[--json] FILE..."
    const char* summary;  // one line for the help text
    // Exit status: 0 success, 1 failure of the work, 2 wrong usage.
    int (*run)(const std::vector<std::string>& args);
};

const std::vector<Command>& Commands();

struct Registration {
    explicit Registration(const Command& command);
};

// Prints "kp50 NAME: message" on stderr.
void Fail(const char* name, const std::string& message);

// For commands whose one argument is an optional flag (spelled any of the ways in names): sets
// *on when it is given; false (after telling the user the usage) when args hold anything else.
bool ParseOptionalFlag(const char* name, const std::vector<std::string>& args,
                       std::initializer_list<const char*> names, bool* on);

}  // namespace kp50
