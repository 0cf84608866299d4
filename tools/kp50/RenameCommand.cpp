// kp50 rename: gives an entry a new name and writes the directory at once.
#include <string>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/DirectoryRead.h"
#include "tools/kp50/EntryNumbers.h"

namespace {

int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        kp50::Fail("rename", "usage: kp50 rename NUMBER NAME");
        return 2;
    }
    auto index = kp50::ParseEntryNumber(args[0]);
    if (!index) {
        kp50::Fail("rename", "not an entry number (1..60): " + args[0]);
        return 2;
    }
    const std::string& name = args[1];
    if (name.empty() || name.find('\0') != std::string::npos) {
        kp50::Fail("rename", "the new name is empty");
        return 2;
    }
    if (name.size() > zanto::kEntryNameBytes) {
        kp50::Fail("rename", "the name is longer than 100 bytes");
        return 2;
    }
    int status = 0;
    auto device = kp50::OpenDevice("rename", &status);
    if (!device) return status;
    if (int failed = kp50::ReadDirectoryFor("rename", *device)) return failed;
    if (!device->RenameEntry(*index, name)) {
        kp50::Fail("rename", "no entry " + args[0]);
        return 2;
    }
    if (!device->Commit()) return kp50::ReportError("rename", device->LastError());
    return 0;
}

const kp50::Registration reg({"rename", "NUMBER NAME", "rename an entry", Run});

}  // namespace
