// kp50 info: the memory's chips, block figures and format.
#include <cstdio>
#include <string>

#include "common/Json.h"
#include "memview/link/MemoryDevice.h"
#include "tools/kp50/Command.h"
#include "tools/kp50/DeviceOptions.h"

namespace {

using namespace zanto;

const char* StateName(FormatState s) {
    switch (s) {
    case FormatState::Formatted: return "formatted";
    case FormatState::NeedsScan: return "unformatted";
    case FormatState::OtherEquipment: return "other-equipment";
    case FormatState::OlderFormat: return "older-format";
    case FormatState::OlderFormatDamaged: return "older-format-damaged";
    case FormatState::Unknown: break;
    }
    return "unknown";
}

std::string Hex2(uint8_t v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v);
    return b;
}

int Run(const std::vector<std::string>& args) {
    bool json = false;
    if (!kp50::ParseOptionalFlag("info", args, {"--json"}, &json)) return 2;
    int status = 0;
    auto device = kp50::OpenDevice("info", &status);
    if (!device) return status;
    FormatState state = FormatState::Unknown;
    device->CheckFormat(&state);
    if (device->LastError() != DeviceError::None) return kp50::ReportError("info", device->LastError());

    const ChipTable& chips = device->Chips();
    const size_t positions = ChipPositions(device->GetMemoryType());
    const DirectoryImage& im = device->Image();
    const bool figures = state == FormatState::Formatted;
    const char* memory = device->GetMemoryType() == MemoryType::Card ? "card" : "internal";
    if (json) {
        std::string out = "{\"memory\":\"" + std::string(memory) + "\",\"chips\":[";
        for (size_t p = 0; p < positions; ++p)
            out += (p ? "," : "") + std::to_string(chips.codes[p]);
        out += "],\"total_blocks\":" + std::to_string(chips.totalBlocks);
        if (figures) {
            out += ",\"used_blocks\":" + std::to_string(im.Used()) +
                   ",\"free_blocks\":" + std::to_string(im.FreeCount()) +
                   ",\"bad_blocks\":" + std::to_string(im.BadCount()) +
                   ",\"files\":" + std::to_string(im.PlayCount() + im.DataCount());
        } else {
            out += ",\"used_blocks\":null,\"free_blocks\":null,\"bad_blocks\":null,\"files\":null";
        }
        out += ",\"format_state\":" + std::to_string(static_cast<int>(state)) +
               ",\"format\":" + JsonQuote(StateName(state));
        out += state == FormatState::Unknown || state == FormatState::NeedsScan ||
                       state == FormatState::OtherEquipment
                   ? ",\"format_version\":null"
                   : ",\"format_version\":" + std::to_string(device->VersionRead());
        out += "}\n";
        std::fputs(out.c_str(), stdout);
        return 0;
    }
    std::printf("memory:         %s\n", memory);
    std::printf("chips:         ");
    for (size_t p = 0; p < positions; ++p)
        std::printf(" %s", chips.codes[p] ? Hex2(chips.codes[p]).c_str() : "-");
    std::printf("\ntotal blocks:   %u (%u KB)\n", chips.totalBlocks, chips.totalBlocks * 32u);
    if (figures) {
        std::printf("used blocks:    %u\nfree blocks:    %u (%u KB)\nbad blocks:     %u\n",
                    im.Used(), im.FreeCount(), im.FreeCount() * 32u, im.BadCount());
        std::printf("files:          %d in the play list, %d in the data list\n", im.PlayCount(),
                    im.DataCount());
    }
    std::printf("format state:   %d (%s)\n", static_cast<int>(state), StateName(state));
    if (state == FormatState::Formatted || state == FormatState::OlderFormat ||
        state == FormatState::OlderFormatDamaged)
        std::printf("format version: 0x%04X\n", device->VersionRead());
    return 0;
}

const kp50::Registration reg({"info", "[--json]",
                              "show the memory's chips, block figures and format", Run});

}  // namespace
