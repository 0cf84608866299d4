#pragma once
// The one-line status of the terminal player.
#include <cstdint>
#include <string>

namespace zantoplay {

struct StatusInfo {
    std::string title;
    int32_t positionMs = 0;
    int32_t durationMs = 0;  // 0: not known
    std::string bitRate;     // kbit/s text as the plug-in gives it, or empty
    std::string sampleRate;  // kHz text, or empty
    std::string type;        // "MP3", ...
    int32_t state = 0;       // HMA_STATE_*
    int32_t volume = -1;     // -1: the plug-in has no volume
};

// "m:ss" (or "h:mm:ss"); a negative time shows as 0.
std::string FormatTime(int32_t ms);
// "title  1:02/3:45  128 kbit/s  44.1 kHz  MP3  playing  vol 77"; an unknown duration shows
// as "##:##", missing facts are left out.
std::string FormatStatus(const StatusInfo& info);

}  // namespace zantoplay
