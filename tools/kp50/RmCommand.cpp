// kp50 rm: deletes entries and writes the directory at once.
#include <algorithm>
#include <string>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/DirectoryRead.h"
#include "tools/kp50/EntryNumbers.h"

namespace {

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        kp50::Fail("rm", "no entry named (usage: kp50 rm NUMBER...)");
        return 2;
    }
    std::vector<int> indexes;
    for (const auto& a : args) {
        auto index = kp50::ParseEntryNumber(a);
        if (!index) {
            kp50::Fail("rm", "not an entry number (1..60): " + a);
            return 2;
        }
        indexes.push_back(*index);
    }
    int status = 0;
    auto device = kp50::OpenDevice("rm", &status);
    if (!device) return status;
    if (int failed = kp50::ReadDirectoryFor("rm", *device)) return failed;
    for (int index : indexes) {
        if (!kp50::IsEntry(*device, index)) {
            kp50::Fail("rm", "no entry " + std::to_string(index + 1));
            return 2;
        }
    }
    // From the highest index down, so each deletion leaves the numbers still to come in place.
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) device->DeleteEntry(*it);
    if (!device->Commit()) return kp50::ReportError("rm", device->LastError());
    return 0;
}

const kp50::Registration reg({"rm", "NUMBER...", "delete entries (numbers as kp50 ls shows them)",
                              Run});

}  // namespace
