#pragma once
// Names of the disc in the drive from the track cache: artist, album title and track titles.
#include <cstdint>
#include <string>
#include <vector>

#include "common/cd/CDPlayerIni.h"

namespace zanto::cd {

// Disc information as the drive reports it.
struct CDDiscInfo {
    uint8_t trackCount = 0;
    uint32_t discId = 0;
    uint32_t firstTrackStart = 0;  // MSF
    uint32_t totalLength = 0;      // MSF
};

// The part of an open CD drive the cache needs.
class CDDiscInfoSource {
public:
    virtual ~CDDiscInfoSource() = default;
    // 1 when info was filled, 0 on failure.
    virtual int GetDiscInfo(CDDiscInfo& info) = 0;
};

}  // namespace zanto::cd

struct CCDDiscNames {
    std::string artist;
    std::string title;
    std::vector<std::string> tracks;  // in disc order
};

// 1 when the cache holds names for the disc in the drive (its section's "Numtracks" matches the
// disc's track count), else 0; the record is emptied first and on 0 holds at most artist and
// title, which the caller discards.
int LoadDiscNames(zanto::cd::CDDiscInfoSource& drive, CCDDiscNames& names,
                  const std::string& iniPath = zanto::cd::CdPlayerIniPath());
