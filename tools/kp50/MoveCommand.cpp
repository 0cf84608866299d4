// kp50 move: moves an entry so that it gets the number TO, and writes the directory at once.
#include <string>
#include <vector>

#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/DirectoryRead.h"
#include "tools/kp50/EntryNumbers.h"

namespace {

using zanto::kDataListStart;

bool SameList(int a, int b) { return (a < kDataListStart) == (b < kDataListStart); }

// Within a list the entry is carried step by step; into the other list it is inserted at TO's
// place (or at that list's end when TO lies past it).
bool MoveTo(zanto::MemoryDevice& device, int from, int to) {
    if (SameList(from, to)) {
        for (int i = from; i < to; ++i) device.SwapEntries(i, i + 1);
        for (int i = from; i > to; --i) device.SwapEntries(i, i - 1);
        return true;
    }
    if (from + 1 == to) {
        // The last play slot right before the data list: the move operation treats that pair as
        // "already in place", so insert one further and step back.
        if (!device.MoveEntry(from, to + 1)) return false;
        const int landed = kDataListStart + 1 < kDataListStart + device.DataCount()
                               ? kDataListStart + 1
                               : kDataListStart + device.DataCount() - 1;
        for (int i = landed; i > to; --i) device.SwapEntries(i, i - 1);
        return true;
    }
    return device.MoveEntry(from, to);
}

int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        kp50::Fail("move", "usage: kp50 move FROM TO");
        return 2;
    }
    auto from = kp50::ParseEntryNumber(args[0]);
    auto to = kp50::ParseEntryNumber(args[1]);
    if (!from || !to) {
        kp50::Fail("move", "entry numbers are 1..60");
        return 2;
    }
    int status = 0;
    auto device = kp50::OpenDevice("move", &status);
    if (!device) return status;
    if (int failed = kp50::ReadDirectoryFor("move", *device)) return failed;
    if (!kp50::IsEntry(*device, *from)) {
        kp50::Fail("move", "no entry " + args[0]);
        return 2;
    }
    if (SameList(*from, *to) && !kp50::IsEntry(*device, *to)) {
        kp50::Fail("move", "no entry " + args[1] + " in that list");
        return 2;
    }
    if (*from == *to) return 0;
    if (!MoveTo(*device, *from, *to)) {
        kp50::Fail("move", std::string("the ") +
                               (*to < kDataListStart ? "play list" : "data list") + " is full");
        return 2;
    }
    if (!device->Commit()) return kp50::ReportError("move", device->LastError());
    return 0;
}

const kp50::Registration reg({"move", "FROM TO",
                              "move entry FROM so that it becomes entry TO", Run});

}  // namespace
