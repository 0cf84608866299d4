#pragma once
// How a plug-in hands out its texts: the GetData text answers, the sample-rate text and the
// GetLastErrorString copy. Header-only, so every plug-in library carries its own copy.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace hma {

// Writes text with its NUL when both fit in size bytes; 1 when written, else 0 (nothing written).
inline int32_t WriteText(void* buffer, int32_t size, std::string_view text) {
    if (!buffer || size <= 0 || text.size() + 1 > static_cast<size_t>(size)) return 0;
    char* out = std::copy_n(text.data(), text.size(), static_cast<char*>(buffer));
    *out = '\0';
    return 1;
}

// Copies text with its NUL, cut to size bytes (the NUL always included); the bytes written. An
// empty text still writes its NUL and gives 1.
inline int32_t CopyText(char* buffer, int32_t size, std::string_view text) {
    if (!buffer || size <= 0) return 0;
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::copy_n(text.data(), n, buffer)[0] = '\0';
    return static_cast<int32_t>(n + 1);
}

// As CopyText, but an empty text writes nothing and gives 0.
inline int32_t CopyErrorText(char* buffer, int32_t size, std::string_view text) {
    return text.empty() ? 0 : CopyText(buffer, size, text);
}

// "%d" kHz when the rate is whole kHz, else "%d.%d" with the first decimal: 44100 gives "44.1",
// 22050 "22.0", 48000 "48".
inline std::string SampleRateText(uint32_t hz) {
    if (hz % 1000 == 0) return std::to_string(hz / 1000);
    return std::to_string(hz / 1000) + "." + std::to_string(hz % 1000 / 100);
}

}  // namespace hma
