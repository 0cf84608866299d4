#include "memview/link/InitializeChoice.h"

namespace zanto {

namespace {

bool Ask(MemoryDevice& device, InitializeQuestions* questions, unsigned id, const char* text) {
    if (!device.ShowErrors() || !questions) return true;
    return questions->AskYesNo(id, text);
}

}  // namespace

InitializeKind ChooseInitialization(MemoryDevice& device, InitializeQuestions* questions) {
    if (!Ask(device, questions, kInitializeQuestionId, kInitializeQuestion))
        return InitializeKind::Declined;
    FormatState state = FormatState::Unknown;
    if (!device.CheckFormat(&state)) return InitializeKind::NotRecognised;
    switch (state) {
    case FormatState::Formatted: return InitializeKind::Quick;
    case FormatState::NeedsScan: return InitializeKind::Scan;
    case FormatState::OtherEquipment:
        return Ask(device, questions, kOtherEquipmentQuestionId, kOtherEquipmentQuestion)
                   ? InitializeKind::Scan
                   : InitializeKind::Declined;
    case FormatState::OlderFormat:
    case FormatState::OlderFormatDamaged: return InitializeKind::Convert;
    case FormatState::Unknown: break;
    }
    return InitializeKind::NotRecognised;
}

bool RunInitialization(MemoryDevice& device, InitializeKind kind, ProgressSink* progress) {
    switch (kind) {
    case InitializeKind::Quick: return device.InitializeQuick(progress);
    case InitializeKind::Scan: return device.InitializeWithScan(progress);
    case InitializeKind::Convert: return device.ConvertFormat(progress);
    case InitializeKind::Declined:
    case InitializeKind::NotRecognised: break;
    }
    return false;
}

}  // namespace zanto
