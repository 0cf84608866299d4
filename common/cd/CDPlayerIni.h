#pragma once
// The track cache "CDPLAYER.INI": one section per disc named by its identity in upper-case
// hexadecimal without leading zeros, keys "Artist", "Title", "Numtracks" and "0", "1", ... for
// the titles of tracks 1, 2, ....
#include <cstdint>
#include <string>

namespace zanto::cd {

// Value buffers of the cache: a whole disc is read into 260-byte buffers, one track's title
// into 512 bytes.
inline constexpr uint32_t kDiscNameBuffer = 260;
inline constexpr uint32_t kTrackTitleBuffer = 512;

// $ZANTO_CDPLAYER_INI when set, else "CDPLAYER.INI" in the per-user data folder.
std::string CdPlayerIniPath();
// "%lX" of the identity: 0x2F0A gives "2F0A".
std::string DiscSectionName(uint32_t discId);
// "%d" of the zero-based track index: track 1 asks key "0".
std::string TrackKey(int trackIndex);

}  // namespace zanto::cd
