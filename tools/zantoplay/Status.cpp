#include "tools/zantoplay/Status.h"

#include <cstdio>

#include "plugins/contract/HmaPlugin.h"

namespace zantoplay {

std::string FormatTime(int32_t ms) {
    int32_t s = ms < 0 ? 0 : ms / 1000;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%d:%02d", s / 60, s % 60);
    return text;
}

std::string FormatStatus(const StatusInfo& info) {
    std::string line = info.title + "  " + FormatTime(info.positionMs) + "/" +
                       (info.durationMs > 0 ? FormatTime(info.durationMs) : "##:##");
    if (!info.bitRate.empty()) line += "  " + info.bitRate + " kbit/s";
    if (!info.sampleRate.empty()) line += "  " + info.sampleRate + " kHz";
    if (!info.type.empty()) line += "  " + info.type;
    switch (info.state) {
    case HMA_STATE_PLAYING: line += "  playing"; break;
    case HMA_STATE_PAUSED: line += "  paused"; break;
    case HMA_STATE_ERROR: line += "  error"; break;
    default: line += "  stopped"; break;
    }
    if (info.volume >= 0) line += "  vol " + std::to_string(info.volume);
    return line;
}

}  // namespace zantoplay
