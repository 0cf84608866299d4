// kp50: the command-line companion of the Zanto KP50.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"

namespace kp50 {

static std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

const std::vector<Command>& Commands() { return Registry(); }

Registration::Registration(const Command& command) {
    auto& all = Registry();
    all.push_back(command);
    std::sort(all.begin(), all.end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
}

void Fail(const char* name, const std::string& message) {
    std::fprintf(stderr, "kp50 %s: %s\n", name, message.c_str());
}

bool ParseOptionalFlag(const char* name, const std::vector<std::string>& args,
                       std::initializer_list<const char*> names, bool* on) {
    *on = false;
    for (const auto& a : args) {
        bool known = false;
        for (const char* n : names) known = known || a == n;
        if (!known) {
            std::string usage;
            for (const auto& c : Commands())
                if (std::strcmp(c.name, name) == 0) usage = c.usage;
            Fail(name, "unexpected argument " + a + " (usage: kp50 " + name + " " + usage + ")");
            return false;
        }
        *on = true;
    }
    return true;
}

}  // namespace kp50

static void Usage(FILE* to) {
    std::fprintf(to,
                 "usage: kp50 [--virtual-player DIR | --port VALUE] [--card] COMMAND [ARGS...]\n\n"
                 "  --virtual-player DIR  talk to the built-in virtual player kept in DIR\n"
                 "                        (also $ZANTO_VIRTUAL_PLAYER)\n"
                 "  --port VALUE          the player's port: LPT1..LPT4 or a port value such as\n"
                 "                        0x378 (default: the \"port\" setting, else a search)\n"
                 "  --card                work on the memory card instead of the internal memory\n"
                 "\nexit status: 0 success, 2 usage, 3 cancelled, 10 + device error code\n"
                 "environment: ZANTO_VIRTUAL_SPEED=BYTES_PER_SECOND paces the virtual player;\n"
                 "             a file DIR/faults injects faults into it (one a line)\n"
                 "\ncommands:\n");
    for (const auto& c : kp50::Commands())
        std::fprintf(to, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string portText;
    // Global options come before the command.
    while (!args.empty() && args[0].rfind("--", 0) == 0) {
        if (args[0] == "--help") {
            Usage(stdout);
            return 0;
        }
        if (args[0] == "--virtual-player" && args.size() >= 2) {
            setenv("ZANTO_VIRTUAL_PLAYER", args[1].c_str(), 1);
            args.erase(args.begin(), args.begin() + 2);
            continue;
        }
        if (args[0] == "--port" && args.size() >= 2) {
            portText = args[1];
            args.erase(args.begin(), args.begin() + 2);
            continue;
        }
        if (args[0] == "--card") {
            kp50::GlobalDeviceOptions().card = true;
            args.erase(args.begin());
            continue;
        }
        std::fprintf(stderr, "kp50: unknown option %s\n", args[0].c_str());
        Usage(stderr);
        return 2;
    }
    if (args.empty()) {
        Usage(stderr);
        return 2;
    }
    // Read after all options: a port name is looked up on the driver --virtual-player chose.
    if (!portText.empty()) {
        auto port = kp50::ParsePortValue(portText);
        if (!port) {
            std::fprintf(stderr, "kp50: --port %s: not a port value or LPT1..LPT4 present here\n",
                         portText.c_str());
            return 2;
        }
        kp50::GlobalDeviceOptions().port = port;
    }
    if (args[0] == "help") {
        Usage(stdout);
        return 0;
    }
    for (const auto& c : kp50::Commands()) {
        if (args[0] == c.name) return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "kp50: unknown command '%s'\n", args[0].c_str());
    Usage(stderr);
    return 2;
}
