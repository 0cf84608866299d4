#pragma once
// File-name rules of the playlist formats: the last four characters decide, compared ignoring case.
#include <string>

namespace zanto::playlist {

// True when the last four characters of name equal ending (four characters) ignoring ASCII case.
bool EndsWithIgnoringCase(const std::string& name, const char* ending);

// ".pst" names are written in the playlist format; every other name in M3U.
bool IsPstName(const std::string& name);
// ".pst" and ".m3u" files are loaded as playlists when added.
bool IsPlaylistName(const std::string& name);

}  // namespace zanto::playlist
