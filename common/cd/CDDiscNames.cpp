#include "common/cd/CDDiscNames.h"

#include "common/cd/PrivateProfile.h"

using namespace zanto::cd;

int LoadDiscNames(CDDiscInfoSource& drive, CCDDiscNames& names, const std::string& iniPath) {
    CDDiscInfo info;
    if (!drive.GetDiscInfo(info)) return 0;
    names = CCDDiscNames{};
    // The section is read once for all keys: a large cache is not re-read per track.
    const ProfileSection section = ProfileSection::Load(iniPath, DiscSectionName(info.discId));
    names.artist = section.String("Artist", "", kDiscNameBuffer);
    names.title = section.String("Title", "", kDiscNameBuffer);
    if (section.Int("Numtracks", 0) != int32_t(info.trackCount)) return 0;
    names.tracks.reserve(info.trackCount);
    for (int i = 0; i < info.trackCount; ++i) names.tracks.push_back(section.String(TrackKey(i), "", kDiscNameBuffer));
    return 1;
}
