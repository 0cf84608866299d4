// kp50 virtual create: a new virtual player in a folder.
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "memview/link/FlashGeometry.h"
#include "memview/link/VirtualPlayer.h"
#include "tools/kp50/Command.h"

namespace {

using namespace zanto;

constexpr const char* kUsage =
    "create DIR [--internal CODES] [--card CODES|none] [--force]";

// "0x75,0x73" or "75,73" (hexadecimal device codes; 0 leaves a position empty).
std::optional<std::vector<uint8_t>> ParseCodes(const std::string& text) {
    std::vector<uint8_t> codes;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.rfind("0x", 0) == 0 || item.rfind("0X", 0) == 0) item = item.substr(2);
        if (item.empty() || item.size() > 2) return std::nullopt;
        char* end = nullptr;
        unsigned long v = std::strtoul(item.c_str(), &end, 16);
        if (*end != '\0') return std::nullopt;
        codes.push_back(static_cast<uint8_t>(v));
    }
    if (codes.empty()) return std::nullopt;
    return codes;
}

std::string Describe(const std::vector<uint8_t>& codes) {
    std::string out;
    unsigned blocks = 0;
    for (uint8_t c : codes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", c);
        out += (out.empty() ? "" : " ") + std::string(c ? hex : "empty");
        if (const ChipKind* k = FindChipKind(c)) blocks += k->blocks;
    }
    return out + " (" + std::to_string(blocks) + " blocks)";
}

int Usage(const std::string& why) {
    kp50::Fail("virtual", why + " (usage: kp50 virtual " + kUsage + ")");
    return 2;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] != "create") return Usage("expected 'create'");
    std::string folder;
    std::vector<uint8_t> internal = VirtualPlayer::DefaultInternalCodes();
    std::optional<std::vector<uint8_t>> card = VirtualPlayer::DefaultCardCodes();
    bool force = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--internal" || a == "--card") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (a == "--card" && value == "none") {
                card.reset();
                continue;
            }
            auto codes = ParseCodes(value);
            if (!codes) return Usage("malformed chip codes '" + value + "'");
            if (a == "--internal")
                internal = *codes;
            else
                card = *codes;
        } else if (a == "--force") {
            force = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown or incomplete option " + a);
        } else if (folder.empty()) {
            folder = a;
        } else {
            return Usage("more than one folder named");
        }
    }
    if (folder.empty()) return Usage("no folder named");
    const std::string existing = folder + "/" + kInternalImageName;
    if (!force && ::access(existing.c_str(), F_OK) == 0) {
        kp50::Fail("virtual", folder + " already holds a virtual player (--force replaces it)");
        return 1;
    }
    std::string error;
    if (!VirtualPlayer::Create(folder, internal, card, &error)) {
        kp50::Fail("virtual", error);
        return error.rfind("unknown chip code", 0) == 0 || error.rfind("at most", 0) == 0 ? 2 : 1;
    }
    std::printf("virtual player created in %s: internal %s, card %s\n", folder.c_str(),
                Describe(internal).c_str(), card ? Describe(*card).c_str() : "none");
    std::fflush(stdout);
    return 0;
}

const kp50::Registration reg({"virtual", kUsage,
                              "create a virtual player in DIR (chip codes 0xE6, 0x73, 0x75)", Run});

}  // namespace
