#include "memview/link/WordChecksum.h"

namespace zanto {

uint16_t WordSum(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(data[i] | (data[i + 1] << 8));
    return static_cast<uint16_t>(sum);
}

uint16_t WordChecksum(const uint8_t* data, size_t size) {
    return static_cast<uint16_t>(0u - WordSum(data, size));
}

bool ChecksumPasses(const uint8_t* data, size_t size, uint16_t checksum) {
    return static_cast<uint16_t>(WordSum(data, size) + checksum) == 0;
}

}  // namespace zanto
