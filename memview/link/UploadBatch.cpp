#include "memview/link/TransferBatches.h"
#include "memview/link/UploadName.h"

namespace zanto {

void UploadBatch::Cancel() {
    cancelled_ = true;
    device_.CancelEvent().Set();
}

DeviceError UploadBatch::Run() {
    DeviceError error = DeviceError::None;
    ui_.ShowFolder(folder_);
    if (device_.OpenLink()) {
        const int total = static_cast<int>(indexes_.size());
        for (int taken = 0; taken < total; ++taken) {
            if (cancelled_) {
                error = DeviceError::Cancelled;
                break;
            }
            const int index = indexes_[size_t(taken)];
            std::optional<FileEntry> entry = device_.Entry(index);
            if (!entry) {
                error = DeviceError::FlashRead;
                break;
            }
            const std::string name = SafeFileName(entry->name);
            const std::string path = ClashFreePath(folder_, name, PathTaken);
            if (path.empty()) {
                error = DeviceError::CannotOpenFile;
                break;
            }
            ui_.ShowFile(name, "(" + std::to_string(taken + 1) + "/" + std::to_string(total) + ")");
            const bool ok = device_.ReadFileToPath(index, path, &ui_);
            // A cancel may have come while the copy started: it counts, not a blank success.
            if (cancelled_) {
                error = DeviceError::Cancelled;
                if (ok) written_.push_back(path);
                break;
            }
            if (!ok) {
                error = device_.LastError();
                break;
            }
            written_.push_back(path);
        }
    } else {
        error = device_.LastError();
    }
    device_.CloseLink();
    ui_.Ended(error);
    if (error != DeviceError::None && error != DeviceError::Cancelled && device_.ShowErrors())
        ui_.ShowError(DeviceErrorText(error));
    device_.ClearError();
    return error;
}

}  // namespace zanto
