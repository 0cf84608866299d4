#include "common/cd/CDPlayerIni.h"

#include <cstdio>
#include <cstdlib>

#include "common/Paths.h"

namespace zanto::cd {

std::string CdPlayerIniPath() {
    if (const char* p = std::getenv("ZANTO_CDPLAYER_INI"); p && *p) return p;
    return DataFolder() + "/CDPLAYER.INI";
}

std::string DiscSectionName(uint32_t discId) {
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(discId));
    return text;
}

std::string TrackKey(int trackIndex) { return std::to_string(trackIndex); }

}  // namespace zanto::cd
