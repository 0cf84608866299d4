#include "zantodesk/playlist/PlaylistNames.h"

#include <cstring>

namespace zanto::playlist {

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
}  // namespace

bool EndsWithIgnoringCase(const std::string& name, const char* ending) {
    const size_t n = std::strlen(ending);
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(name[name.size() - n + i]) != Lower(ending[i])) return false;
    return true;
}

bool IsPstName(const std::string& name) { return EndsWithIgnoringCase(name, ".pst"); }

bool IsPlaylistName(const std::string& name) {
    return EndsWithIgnoringCase(name, ".pst") || EndsWithIgnoringCase(name, ".m3u");
}

}  // namespace zanto::playlist
