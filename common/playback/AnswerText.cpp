#include "common/playback/AnswerText.h"

#include <cstring>

namespace zanto::playback {

int32_t WriteText(void* buffer, int32_t size, const std::string& text) {
    if (!buffer || size <= 0 || text.size() + 1 > static_cast<size_t>(size)) return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 1;
}

int32_t CopyErrorText(char* buffer, int32_t size, const std::string& text) {
    if (!buffer || size <= 0 || text.empty()) return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n + 1);
}

std::string SampleRateText(uint32_t hz) {
    if (hz % 1000 == 0) return std::to_string(hz / 1000);
    return std::to_string(hz / 1000) + "." + std::to_string(hz % 1000 / 100);
}

}  // namespace zanto::playback
