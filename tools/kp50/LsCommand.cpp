// kp50 ls: one row per entry of the memory's directory.
#include <cstdio>
#include <string>

#include "common/Json.h"
#include "memview/link/EntryText.h"
#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/DirectoryRead.h"

namespace {

using namespace zanto;

const char* StateText(uint8_t state) {
    switch (state) {
    case 0: return "stored";
    case 1: return "incomplete";
    default: return IsWaitingState(state) ? "waiting" : "unknown";
    }
}

int Run(const std::vector<std::string>& args) {
    bool json = false;
    if (!kp50::ParseOptionalFlag("ls", args, {"--json"}, &json)) return 2;
    int status = 0;
    auto device = kp50::OpenDevice("ls", &status);
    if (!device) return status;
    if (int failed = kp50::ReadDirectoryFor("ls", *device)) return failed;

    // Rows as the window shows them: the play list, then the data list.
    std::vector<int> indexes;
    for (int i = 0; i < device->PlayCount(); ++i) indexes.push_back(i);
    for (int i = 0; i < device->DataCount(); ++i) indexes.push_back(kDataListStart + i);

    std::string out = json ? "[" : "";
    bool first = true;
    for (int index : indexes) {
        const FileEntry e = *device->Entry(index);
        if (json) {
            out += first ? "\n" : ",\n";
            out += "{\"number\":" + std::to_string(index + 1) + ",\"index\":" +
                   std::to_string(index) + ",\"state\":" + std::to_string(e.state) +
                   ",\"size\":" + std::to_string(e.size) + ",\"blocks\":" +
                   std::to_string(e.blocks) + ",\"time\":" + std::to_string(e.time) +
                   ",\"header\":" + std::to_string(e.header) + ",\"name\":" + JsonQuote(e.name) +
                   "}";
        } else {
            char row[512];
            std::snprintf(row, sizeof row, "%2d. %-10s %10s  %-20s  %-21s  ", index + 1,
                          StateText(e.state), EntrySizeText(e).c_str(), EntryDateText(e).c_str(),
                          EntryPropertyText(e).c_str());
            out += row + e.name + "\n";
        }
        first = false;
    }
    if (json) out += indexes.empty() ? "]\n" : "\n]\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}

const kp50::Registration reg({"ls", "[--json]",
                              "list the files in the memory (numbers as the window shows them)",
                              Run});

}  // namespace
