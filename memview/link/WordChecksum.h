#pragma once
// The 16-bit word checksum of flash pages and of the directory: the two's complement of the sum
// of the area's little-endian words, so that words + checksum add up to 0 modulo 65536.
#include <cstddef>
#include <cstdint>

namespace zanto {

// Sum of the little-endian 16-bit words of bytes [data, data + size); size is even.
uint16_t WordSum(const uint8_t* data, size_t size);
uint16_t WordChecksum(const uint8_t* data, size_t size);
bool ChecksumPasses(const uint8_t* data, size_t size, uint16_t checksum);

}  // namespace zanto
