#include "common/Paths.h"
#include "memview/link/TransferBatches.h"

namespace zanto {

std::vector<std::string> AddressListBatch::Run() {
    std::vector<std::string> found;
    const int total = static_cast<int>(addresses_.size());
    for (int taken = 0; taken < total; ++taken) {
        if (engine_.CancelRequested()) break;
        const std::string& address = addresses_[size_t(taken)];
        ui_.ShowFile(FileNameOf(address),
                     "(" + std::to_string(taken + 1) + "/" + std::to_string(total) + " HTTP)");
        if (!engine_.FetchUrlList(address, found, &ui_)) {
            const DeviceError error = device_.LastError();
            if (error != DeviceError::None && error != DeviceError::Cancelled)
                ui_.ShowError(DeviceErrorText(error));
            device_.ClearError();
            break;
        }
    }
    return found;
}

}  // namespace zanto
