// Flash level of the protocol: NAND erase, page read and page program through the link commands.
#include "memview/link/MemoryDevice.h"
#include "memview/link/WordChecksum.h"

namespace zanto {

uint8_t MemoryDevice::ChipSelectOf(const BlockAddress& address) const {
    return ChipSelectCode(memoryType_, address.Position());
}

bool MemoryDevice::EraseUnit(uint8_t chip, const BlockAddress& address) {
    const uint16_t page = address.PageAddress();
    SendCommand(0xAB);
    SendData(chip);
    SendCommand(0xA1);
    SendData(0x60);
    SendCommand(0xA2);
    SendData(static_cast<uint8_t>(page & 0xFF));
    SendData(static_cast<uint8_t>(page >> 8));
    SendCommand(0xA1);
    SendData(0xD0);
    if (!WaitReady()) return false;
    SendCommand(0xA1);
    SendData(0x70);
    SendCommand(0xA0);
    uint8_t status = ReadByte();
    if (status & 0x01) {
        lastError_ = (chip == ChipSelectCode(memoryType_, 0) && page == 0) ? DeviceError::MemoryFault
                                                                           : DeviceError::BadBlock;
        return false;
    }
    return true;
}

bool MemoryDevice::ReadPage(uint8_t chip, const BlockAddress& address, uint8_t* data,
                            uint8_t* spareOut, bool check) {
    const uint16_t page = address.PageAddress();
    SendCommand(0xAB);
    SendData(chip);
    SendCommand(0xA1);
    SendData(0x00);
    SendCommand(0xA2);
    SendData(address.Column());
    SendData(static_cast<uint8_t>(page & 0xFF));
    SendData(static_cast<uint8_t>(page >> 8));
    if (!WaitReady()) return false;
    SendCommand(0xA0);
    for (size_t i = 0; i < kPageDataSize; ++i) data[i] = ReadByte();
    uint8_t spare[kPageSpareSize];
    for (size_t i = 0; i < kPageSpareSize; ++i) spare[i] = ReadByte();
    if (!WaitReady()) return false;
    if (spareOut)
        for (size_t i = 0; i < kPageSpareSize; ++i) spareOut[i] = spare[i];
    if (check &&
        !ChecksumPasses(data, kPageDataSize, static_cast<uint16_t>(spare[12] | (spare[13] << 8)))) {
        lastError_ = DeviceError::PageChecksum;
        return false;
    }
    return true;
}

bool MemoryDevice::ProgramPage(uint8_t chip, const BlockAddress& address, const uint8_t* data,
                               uint8_t* spare) {
    const uint16_t checksum = WordChecksum(data, kPageDataSize);
    spare[12] = static_cast<uint8_t>(checksum & 0xFF);
    spare[13] = static_cast<uint8_t>(checksum >> 8);
    const uint16_t page = address.PageAddress();
    SendCommand(0xAB);
    SendData(chip);
    SendCommand(0xA1);
    SendData(0x80);
    SendCommand(0xA2);
    SendData(address.Column());
    SendData(static_cast<uint8_t>(page & 0xFF));
    SendData(static_cast<uint8_t>(page >> 8));
    SendCommand(0xA3);
    for (size_t i = 0; i < kPageDataSize; ++i) SendDataFast(data[i]);
    for (size_t i = 0; i < kPageSpareSize; ++i) SendDataFast(spare[i]);
    SendCommand(0xA1);
    SendData(0x10);
    if (!WaitReady()) return false;
    SendCommand(0xA1);
    SendData(0x70);
    SendCommand(0xA0);
    uint8_t status = ReadByte();
    if (!(status & 0x80)) {
        lastError_ = DeviceError::FlashWrite;
        return false;
    }
    if (status & 0x01) {
        const bool first = chip == ChipSelectCode(memoryType_, 0) && address.Column() == 0 && page == 0;
        lastError_ = first ? DeviceError::MemoryFault : DeviceError::BadBlock;
        return false;
    }
    return true;
}

}  // namespace zanto
