#pragma once
// The linear-congruential generator the random play modes have always used, so a shuffle made
// from a given seed is the same one on every build: next = seed * 214013 + 2531011, result bits
// 16 to 30 (0 to 32767).
#include <cstdint>

namespace zanto::player {

class PlayQueueRandom {
public:
    static constexpr int kMax = 32767;

    void Seed(uint32_t seed) { state_ = seed; }
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_ = 1;
};

}  // namespace zanto::player
