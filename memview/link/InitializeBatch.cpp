#include "memview/link/TransferBatches.h"
#include "memview/link/TransferTexts.h"

namespace zanto {

bool RunInitializeJob(MemoryDevice& device, InitializeKind kind, TransferUi& ui) {
    if (kind != InitializeKind::Quick && kind != InitializeKind::Scan &&
        kind != InitializeKind::Convert)
        return false;
    ui.ShowStatus(kind == InitializeKind::Convert ? texts::kConverting : texts::kInitializing);
    const bool ok = RunInitialization(device, kind, &ui);
    const DeviceError error = ok ? DeviceError::None : device.LastError();
    if (error != DeviceError::None && error != DeviceError::Cancelled && device.ShowErrors())
        ui.ShowError(DeviceErrorText(error));
    ui.Ended(error);
    if (error != DeviceError::None) device.ClearError();
    return error == DeviceError::None;
}

}  // namespace zanto
