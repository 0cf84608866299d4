#include "common/Paths.h"
#include "memview/link/TransferBatches.h"
#include "memview/link/TransferTexts.h"

namespace zanto {

namespace {

bool PlayListWaiting(uint8_t state) { return state == 2 || state == 4 || state == 6; }

// The text shown for an error, or nothing for the errors that show none.
bool HasText(DeviceError error) {
    return error != DeviceError::None && error != DeviceError::Cancelled;
}

}  // namespace

int DownloadBatch::NextWaiting(const MemoryDevice& device) {
    for (int i = 0; i < device.PlayCount(); ++i)
        if (PlayListWaiting(device.EntryStateOf(i))) return i;
    for (int i = 0; i < device.DataCount(); ++i)
        if (IsWaitingState(device.EntryStateOf(kDataListStart + i))) return kDataListStart + i;
    return -1;
}

int DownloadBatch::CountWaiting(const MemoryDevice& device) {
    int n = 0;
    for (int i = 0; i < device.PlayCount(); ++i) n += PlayListWaiting(device.EntryStateOf(i));
    for (int i = 0; i < device.DataCount(); ++i)
        n += IsWaitingState(device.EntryStateOf(kDataListStart + i));
    return n;
}

std::string DownloadBatch::CountText(uint8_t state, int k, int n) {
    const std::string kn = std::to_string(k) + "/" + std::to_string(n);
    if (state == 4 || state == 5) return "(" + kn + ") MEDIA";
    if (state == 6) return "(" + kn + " HTTP)";
    return "(" + kn + ")";
}

std::string DownloadBatch::SourceOf(const FileEntry& entry) const {
    return entry.hostSlot < sources_.size() ? sources_[entry.hostSlot] : std::string();
}

DeviceError DownloadBatch::Run() {
    DeviceError error = DeviceError::None;
    if (!device_.OpenLink()) {
        error = device_.LastError();
    } else {
        const int total = CountWaiting(device_);
        int finished = -1;  // the entry the window is told about before the next starts
        while (true) {
            if (finished >= 0) ui_.EntryWritten(finished);
            const int index = NextWaiting(device_);
            if (index < 0) break;
            if (engine_.CancelRequested()) {
                error = DeviceError::Cancelled;
                break;
            }
            const FileEntry entry = *device_.Entry(index);
            const int k = total - CountWaiting(device_) + 1;
            ui_.ShowFile(entry.name, CountText(entry.state, k, total));
            const std::string source = SourceOf(entry);
            if (engine_.WriteFile(index, source, &ui_)) {
                finished = index;
                continue;
            }
            error = device_.LastError();
            if (error == DeviceError::FileRead && device_.ShowErrors()) {
                const std::string question =
                    FileNameOf(source) == entry.name
                        ? texts::Substitute(texts::kCannotRead, {source})
                        : texts::Substitute(texts::kCannotReadRenamed, {source, entry.name});
                if (ui_.Ask(question)) {
                    device_.ClearError();
                    error = DeviceError::None;
                    finished = index;
                    continue;
                }
            }
            break;
        }
    }
    ui_.Ended(error);
    if (HasText(error) && device_.ShowErrors()) ui_.ShowError(DeviceErrorText(error));
    device_.ClearError();
    device_.CloseLink();
    return error;
}

}  // namespace zanto
