#include "memview/link/TransferBatches.h"
#include "memview/link/TransferTexts.h"

namespace zanto {

InitializeChoice ChooseInitialization(MemoryDevice& device, TransferUi& ui) {
    if (device.ShowErrors() && !ui.Ask(texts::kInitializeWarning)) return InitializeChoice::Nothing;
    FormatState state = FormatState::Unknown;
    if (!device.CheckFormat(&state)) return InitializeChoice::Nothing;
    switch (state) {
    case FormatState::Formatted:
        return InitializeChoice::Quick;
    case FormatState::NeedsScan:
        return InitializeChoice::WithScan;
    case FormatState::OtherEquipment:
        if (device.ShowErrors() && !ui.Ask(texts::kCardForZantoOnly))
            return InitializeChoice::Nothing;
        return InitializeChoice::WithScan;
    case FormatState::OlderFormat:
    case FormatState::OlderFormatDamaged:
        return InitializeChoice::Convert;
    case FormatState::Unknown:
        break;
    }
    return InitializeChoice::Nothing;
}

bool RunInitialization(MemoryDevice& device, InitializeChoice choice, TransferUi& ui) {
    if (choice == InitializeChoice::Nothing) return false;
    ui.ShowStatus(choice == InitializeChoice::Convert ? texts::kConverting : texts::kInitializing);
    bool ok = false;
    switch (choice) {
    case InitializeChoice::Quick:
        ok = device.InitializeQuick(&ui);
        break;
    case InitializeChoice::WithScan:
        ok = device.InitializeWithScan(&ui);
        break;
    case InitializeChoice::Convert:
        ok = device.ConvertFormat(&ui);
        break;
    case InitializeChoice::Nothing:
        break;
    }
    const DeviceError error = ok ? DeviceError::None : device.LastError();
    if (error != DeviceError::None && error != DeviceError::Cancelled && device.ShowErrors())
        ui.ShowError(DeviceErrorText(error));
    ui.Ended(error);
    if (error != DeviceError::None) device.ClearError();
    return error == DeviceError::None;
}

}  // namespace zanto
