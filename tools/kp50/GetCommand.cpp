// kp50 get: copies files from the player into a folder of the computer ("Upload").
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/Json.h"
#include "memview/link/TransferBatches.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/EntryNumbers.h"
#include "tools/kp50/TransferTerminal.h"

namespace {

using namespace zanto;

constexpr const char* kUsage = "NUMBER... --to DIR [--json]";

int Usage(const std::string& why) {
    kp50::Fail("get", why + " (usage: kp50 get " + kUsage + ")");
    return kp50::kExitUsage;
}

int Run(const std::vector<std::string>& args) {
    bool json = false;
    std::string folder;
    std::vector<int> indexes;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--to") {
            if (i + 1 >= args.size()) return Usage("--to needs a folder");
            folder = args[++i];
        } else if (auto index = kp50::ParseEntryNumber(a)) {
            indexes.push_back(*index);
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    if (indexes.empty()) return Usage("no entry number given");
    if (folder.empty()) return Usage("no destination folder (--to DIR)");
    struct stat st{};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        kp50::Fail("get", folder + ": not a folder");
        return 1;
    }

    int status = 0;
    auto device = kp50::OpenDevice("get", &status);
    if (!device) return status;
    if (!device->Refresh()) return kp50::ReportError("get", device->LastError());
    uint64_t batchBytes = 0;
    for (int index : indexes) {
        auto e = device->Entry(index);
        if (!e) {
            kp50::Fail("get", "no entry " + std::to_string(index + 1));
            return 1;
        }
        // Only what is on the player: stored or incomplete files.
        if (e->state > 1) {
            kp50::Fail("get", std::to_string(index + 1) + ". " + e->name + ": not on the player");
            return 1;
        }
        batchBytes += e->size;
    }

    kp50::TerminalTransferUi ui("get", false);
    ui.SetBatchBytes(batchBytes);
    size_t next = 0;
    ui.fileBytesHint = [&]() -> uint64_t {
        return next < indexes.size() ? device->Entry(indexes[next++])->size : 0;
    };
    UploadBatch batch(*device, indexes, folder, ui);
    DeviceError error;
    {
        kp50::InterruptCancel cancelOnInterrupt([&] { batch.Cancel(); });
        error = batch.Run();
    }
    const auto& written = batch.Written();
    if (json) {
        std::string out = "{\"written\":[";
        for (size_t i = 0; i < written.size(); ++i)
            out += std::string(i ? "," : "") + "{\"number\":" + std::to_string(indexes[i] + 1) +
                   ",\"path\":" + JsonQuote(written[i]) + "}";
        out += "],\"error\":";
        out += error == DeviceError::None ? "null" : JsonQuote(DeviceErrorName(error));
        out += "}\n";
        std::fputs(out.c_str(), stdout);
    } else {
        for (size_t i = 0; i < written.size(); ++i)
            std::printf("%2d. -> %s\n", indexes[i] + 1, written[i].c_str());
        if (error == DeviceError::Cancelled)
            kp50::Fail("get", "cancelled after " + std::to_string(written.size()) + " file(s)");
    }
    return kp50::ExitStatusFor(error);
}

const kp50::Registration reg({"get", kUsage,
                              "copy files from the player into a folder (Upload)", Run});

}  // namespace
