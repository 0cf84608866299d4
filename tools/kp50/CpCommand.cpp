// kp50 cp: copies files from one memory of the player to the other (card to internal memory or
// back), the data read over the same port while it is written.
#include <cstdio>
#include <string>
#include <vector>

#include "common/Json.h"
#include "memview/link/Additions.h"
#include "memview/link/TransferBatches.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"
#include "tools/kp50/EntryNumbers.h"
#include "tools/kp50/TransferTerminal.h"

namespace {

using namespace zanto;

constexpr const char* kUsage = "--from-card|--to-card NUMBER... [--at ROW] [--yes] [--json]";

int Usage(const std::string& why) {
    kp50::Fail("cp", why + " (usage: kp50 cp " + kUsage + ")");
    return kp50::kExitUsage;
}

int Run(const std::vector<std::string>& args) {
    bool json = false, yes = false;
    int direction = 0;  // 1: card to internal, 2: internal to card
    int atRow = -1;
    std::vector<int> numbers;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--yes" || a == "-y") {
            yes = true;
        } else if (a == "--from-card" || a == "--to-card") {
            const int d = a == "--from-card" ? 1 : 2;
            if (direction && direction != d) return Usage("--from-card and --to-card together");
            direction = d;
        } else if (a == "--at") {
            if (i + 1 >= args.size()) return Usage("--at needs a row number");
            auto row = kp50::ParseEntryNumber(args[++i]);
            if (!row) return Usage("--at " + args[i] + ": not a row number 1..60");
            atRow = *row;
        } else if (auto index = kp50::ParseEntryNumber(a)) {
            numbers.push_back(*index);
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    if (!direction) return Usage("say --from-card or --to-card");
    if (numbers.empty()) return Usage("no entry number given");
    const MemoryType from = direction == 1 ? MemoryType::Card : MemoryType::Internal;
    const MemoryType to = direction == 1 ? MemoryType::Internal : MemoryType::Card;

    int status = 0;
    auto source = kp50::OpenDevice("cp", &status);
    if (!source) return status;
    source->SetMemoryType(from);
    if (!source->Refresh()) return kp50::ReportError("cp", source->LastError());
    auto target = kp50::OpenDevice("cp", &status);
    if (!target) return status;
    target->SetMemoryType(to);
    if (!target->Refresh()) return kp50::ReportError("cp", target->LastError());

    TransferEngine engine(*target);
    kp50::TerminalTransferUi ui("cp", yes);
    kp50::InterruptCancel cancelOnInterrupt([&] { engine.Cancel(); });
    SourceList sources;
    Additions add(*target, sources, ui);
    add.insertionRow = atRow;
    std::vector<std::string> skipped;
    add.onSkipped = [&](const std::string& item, const std::string& why) {
        skipped.push_back(item);
        if (!json) kp50::Fail("cp", item + ": skipped, " + why);
    };
    for (int index : numbers) {
        auto e = source->Entry(index);
        if (!e) {
            kp50::Fail("cp", "no entry " + std::to_string(index + 1));
            return 1;
        }
        add.otherMemory.push_back({from, e->state, e->header, e->size, e->name});
    }
    if (!add.Process()) return kp50::ReportError("cp", target->LastError());

    std::vector<std::pair<int, std::string>> stored;
    ui.onEntryWritten = [&](int index) {
        auto e = target->Entry(index);
        if (e && e->name == ui.CurrentName() && e->state == 0) {
            stored.emplace_back(index + 1, e->name);
            if (!json) std::printf("%2d. %s\n", index + 1, e->name.c_str());
        }
    };
    ui.fileBytesHint = [&]() -> uint64_t {
        const int next = DownloadBatch::NextWaiting(*target);
        return next >= 0 ? target->Entry(next)->size : 0;
    };
    DeviceError error = DeviceError::None;
    if (DownloadBatch::CountWaiting(*target) > 0) {
        DownloadBatch batch(*target, engine, sources.Texts(), ui);
        error = batch.Run();
    } else if (target->ImageChanged() && !target->Commit()) {
        error = target->LastError();
        kp50::ReportError("cp", error);
    }
    if (json) {
        std::string out = "{\"stored\":[";
        for (size_t i = 0; i < stored.size(); ++i)
            out += std::string(i ? "," : "") + "{\"number\":" + std::to_string(stored[i].first) +
                   ",\"name\":" + JsonQuote(stored[i].second) + "}";
        out += "],\"skipped\":[";
        for (size_t i = 0; i < skipped.size(); ++i)
            out += std::string(i ? "," : "") + JsonQuote(skipped[i]);
        out += "],\"error\":";
        out += error == DeviceError::None ? "null" : JsonQuote(DeviceErrorName(error));
        out += "}\n";
        std::fputs(out.c_str(), stdout);
    }
    return kp50::ExitStatusFor(error);
}

const kp50::Registration reg({"cp", kUsage,
                              "copy files between the internal memory and the card", Run});

}  // namespace
