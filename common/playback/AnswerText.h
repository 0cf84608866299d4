#pragma once
// How the plug-ins hand out text answers and the sample-rate text of their GetData answers.
#include <cstdint>
#include <string>

namespace zanto::playback {

// Writes text with its NUL when both fit in size bytes; 1 when written, else 0 (nothing written).
int32_t WriteText(void* buffer, int32_t size, const std::string& text);
// Copies text with its NUL, cut to size bytes (the NUL always included); the bytes written. An
// empty text writes nothing and gives 0.
int32_t CopyErrorText(char* buffer, int32_t size, const std::string& text);
// "%d" kHz when the rate is whole kHz, else "%d.%d" with the first decimal: 44100 gives "44.1",
// 22050 "22.0", 48000 "48".
std::string SampleRateText(uint32_t hz);

}  // namespace zanto::playback
