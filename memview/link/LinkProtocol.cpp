// Byte and link level of the protocol: strobes, nibble reads, probe, greeting, chip identification.
#include <array>

#include "memview/link/MemoryDevice.h"

namespace zanto {

namespace {

// Status register -> nibble: undo the port's inversion of bit 7, then bits 7,6,5,4 carry nibble
// bits 0,1,2,3.
constexpr std::array<uint8_t, 256> MakeNibbleTable() {
    std::array<uint8_t, 256> t{};
    for (unsigned s = 0; s < 256; ++s) {
        unsigned x = s ^ 0x80u;
        t[s] = static_cast<uint8_t>(((x >> 7) & 1) | (((x >> 6) & 1) << 1) | (((x >> 5) & 1) << 2) |
                                    (((x >> 4) & 1) << 3));
    }
    return t;
}
constexpr std::array<uint8_t, 256> kNibble = MakeNibbleTable();

// Busy polls before WaitReady starts yielding the processor between polls.
constexpr unsigned kBusyPolls = 64;
constexpr auto kPollPause = std::chrono::microseconds(100);
constexpr uint32_t kReadyLimitMs = 1000;

uint32_t TickMs(Clock& clock) {
    // The tick count is 32 bits wide and wraps; elapsed times are taken modulo 2^32.
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now()).count());
}

}  // namespace

void MemoryDevice::SendCommand(uint8_t command) {
    OutRegister(kDataRegister, command);
    control_ |= kCommandStrobe;
    WriteControl();
    control_ &= static_cast<uint8_t>(~kCommandStrobe);
    WriteControl();
}

void MemoryDevice::SendData(uint8_t data) {
    OutRegister(kDataRegister, data);
    control_ &= static_cast<uint8_t>(~kDataStrobe);
    WriteControl();
    control_ |= kDataStrobe;
    WriteControl();
}

void MemoryDevice::SendDataFast(uint8_t data) {
    OutRegister(kDataRegister, data);
    control_ ^= kDataStrobe;
    WriteControl();
}

uint8_t MemoryDevice::ReadByte() {
    control_ &= static_cast<uint8_t>(~kDataStrobe);
    WriteControl();
    InRegister(kStatusRegister);  // the first read lets the lines settle
    uint8_t high = kNibble[InRegister(kStatusRegister)];
    control_ |= kDataStrobe;
    WriteControl();
    InRegister(kStatusRegister);
    uint8_t low = kNibble[InRegister(kStatusRegister)];
    return static_cast<uint8_t>((high << 4) | low);
}

void MemoryDevice::ResetLink() {
    control_ = kDataStrobe;
    WriteControl();
}

bool MemoryDevice::WaitReady() {
    if (InRegister(kStatusRegister) & kStatusReady) return true;
    const uint32_t start = TickMs(clock_);
    for (unsigned polls = 1;; ++polls) {
        if (InRegister(kStatusRegister) & kStatusReady) return true;
        if (static_cast<uint32_t>(TickMs(clock_) - start) >= kReadyLimitMs) {
            lastError_ = DeviceError::Timeout;
            return false;
        }
        // Erase takes milliseconds: after a short spin, give the processor away between polls.
        if (polls >= kBusyPolls) clock_.Sleep(kPollPause);
    }
}

bool MemoryDevice::Probe() {
    ResetLink();
    SendCommand(0xA8);
    uint8_t low = ReadByte() & 0x0F;
    return low == 0x0C || low == 0x0A;
}

bool MemoryDevice::Greet() {
    SendCommand(0xAD);
    SendData(0x55);
    SendCommand(0xAE);
    SendData(0xAA);
    SendCommand(0xA8);
    return (ReadByte() & 0x0F) == 0x0A;
}

void MemoryDevice::Farewell() {
    SendCommand(0xAD);
    SendData(0xFF);
}

bool MemoryDevice::IdentifyPass() {
    lastError_ = DeviceError::None;
    chips_ = ChipTable{};
    const size_t positions = ChipPositions(memoryType_);
    for (size_t p = 0; p < positions; ++p) {
        SendCommand(0xAB);
        SendData(ChipSelectCode(memoryType_, p));
        SendCommand(0xA1);
        SendData(0x90);
        SendCommand(0xA2);
        SendData(0x00);
        SendCommand(0xA0);
        ReadByte();  // maker code
        uint8_t code = ReadByte();
        if (const ChipKind* kind = FindChipKind(code)) {
            chips_.codes[p] = code;
            chips_.totalBlocks = static_cast<uint16_t>(chips_.totalBlocks + kind->blocks);
        }
    }
    Pause(std::chrono::milliseconds(500));
    if (chips_.totalBlocks == 0) {
        lastError_ = DeviceError::NoFlash;
        return false;
    }
    return true;
}

bool MemoryDevice::IdentifyChips() {
    // Two passes must see chips. Up to five passes for the first; after it, up to four more.
    int found = 0;
    int passesLeft = 5;
    while (passesLeft > 0) {
        --passesLeft;
        if (!IdentifyPass()) continue;
        if (++found == 2) {
            lastError_ = DeviceError::None;
            return true;
        }
        passesLeft = 4;
    }
    lastError_ = DeviceError::NoFlash;
    return false;
}

}  // namespace zanto
