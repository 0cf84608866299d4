// kp50 put: adds local files and web addresses as the window's addition does and downloads them
// to the player.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/Json.h"
#include "common/Settings.h"
#include "memview/link/Additions.h"
#include "memview/link/TransferBatches.h"
#include "memview/link/WebAddress.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/EntryNumbers.h"
#include "tools/kp50/TransferTerminal.h"

namespace {

using namespace zanto;

constexpr const char* kUsage = "FILE|URL... [--at ROW] [--yes] [--json]";

int Usage(const std::string& why) {
    kp50::Fail("put", why + " (usage: kp50 put " + kUsage + ")");
    return kp50::kExitUsage;
}

struct Outcome {
    std::string name;
    int number = 0;
    uint32_t size = 0;
    bool stored = false;
};

int Run(const std::vector<std::string>& args) {
    bool json = false, yes = false;
    int atRow = -1;
    std::vector<std::string> items;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--json") {
            json = true;
        } else if (options && (a == "--yes" || a == "-y")) {
            yes = true;
        } else if (options && a == "--at") {
            if (i + 1 >= args.size()) return Usage("--at needs a row number");
            auto row = kp50::ParseEntryNumber(args[++i]);
            if (!row) return Usage("--at " + args[i] + ": not a row number 1..60");
            atRow = *row;
        } else if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            items.push_back(a);
        }
    }
    if (items.empty()) return Usage("nothing to put");

    int status = 0;
    auto device = kp50::OpenDevice("put", &status);
    if (!device) return status;
    if (!device->Refresh()) return kp50::ReportError("put", device->LastError());

    TransferEngine engine(*device);
    kp50::TerminalTransferUi ui("put", yes);
    kp50::InterruptCancel cancelOnInterrupt([&] { engine.Cancel(); });

    SourceList sources;
    Additions add(*device, sources, ui);
    add.insertionRow = atRow;
    std::vector<std::pair<std::string, std::string>> skipped;
    add.onSkipped = [&](const std::string& item, const std::string& why) {
        skipped.emplace_back(item, why);
        if (!json) kp50::Fail("put", item + ": skipped, " + why);
    };
    for (const std::string& item : items) {
        if (IsWebAddress(item)) {
            add.webAddresses.push_back(item);
            continue;
        }
        struct stat st{};
        if (stat(item.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
            skipped.emplace_back(item, "no such file");
            if (!json) kp50::Fail("put", item + ": skipped, no such file");
            continue;
        }
        add.localPaths.push_back(item);
    }
    if (settings::ReadM3u()) add.ExpandPlaylists(engine);
    if (!add.Process()) return kp50::ReportError("put", device->LastError());

    // What the batch will carry, for the bar's time estimate.
    uint64_t batchBytes = 0;
    for (int i = 0; i < device->PlayCount(); ++i)
        if (IsWaitingState(device->EntryStateOf(i))) batchBytes += device->Entry(i)->size;
    ui.SetBatchBytes(batchBytes);

    ui.fileBytesHint = [&]() -> uint64_t {
        const int next = DownloadBatch::NextWaiting(*device);
        return next >= 0 ? device->Entry(next)->size : 0;
    };
    std::vector<Outcome> outcomes;
    ui.onEntryWritten = [&](int index) {
        Outcome o;
        o.name = ui.CurrentName();
        auto e = device->Entry(index);
        o.stored = e && e->name == o.name && e->state == 0;
        o.number = o.stored ? index + 1 : 0;
        o.size = o.stored ? e->size : 0;
        if (!json) {
            if (o.stored)
                std::printf("%2d. %s (%u bytes)\n", o.number, o.name.c_str(), o.size);
            else
                std::printf("    %s: not stored (not MPEG audio, or skipped)\n", o.name.c_str());
            std::fflush(stdout);
        }
        outcomes.push_back(o);
    };

    DeviceError error = DeviceError::None;
    if (DownloadBatch::CountWaiting(*device) > 0) {
        // The batch shows its own error text; the exit status carries it too.
        DownloadBatch batch(*device, engine, sources.Texts(), ui);
        error = batch.Run();
    } else if (device->ImageChanged()) {
        // Only replaced entries went: the directory is written without them.
        if (!device->Commit()) {
            error = device->LastError();
            kp50::ReportError("put", error);
        }
    }

    if (json) {
        std::string out = "{\"stored\":[";
        bool first = true;
        for (const Outcome& o : outcomes) {
            if (!o.stored) continue;
            out += std::string(first ? "" : ",") + "{\"number\":" + std::to_string(o.number) +
                   ",\"name\":" + JsonQuote(o.name) + ",\"size\":" + std::to_string(o.size) + "}";
            first = false;
        }
        out += "],\"skipped\":[";
        first = true;
        for (const Outcome& o : outcomes) {
            if (o.stored) continue;
            out += std::string(first ? "" : ",") + "{\"item\":" + JsonQuote(o.name) +
                   ",\"reason\":\"not stored\"}";
            first = false;
        }
        for (const auto& [item, why] : skipped) {
            out += std::string(first ? "" : ",") + "{\"item\":" + JsonQuote(item) +
                   ",\"reason\":" + JsonQuote(why) + "}";
            first = false;
        }
        out += "],\"error\":";
        out += error == DeviceError::None ? "null" : JsonQuote(DeviceErrorName(error));
        out += "}\n";
        std::fputs(out.c_str(), stdout);
    }
    if (error == DeviceError::Cancelled) {
        if (!json) kp50::Fail("put", "cancelled; the player lists the files completed before");
        return kp50::kExitCancelled;
    }
    return kp50::ExitStatusFor(error);
}

const kp50::Registration reg({"put", kUsage,
                              "add files and web addresses and download them to the player", Run});

}  // namespace
