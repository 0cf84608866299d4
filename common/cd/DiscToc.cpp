#include "common/cd/DiscToc.h"

namespace zanto::cd {

const TocTrack* DiscToc::Find(int number) const {
    for (const TocTrack& t : tracks) {
        if (t.number == number) return &t;
    }
    return nullptr;
}

int32_t DiscToc::EndOf(const TocTrack& track) const {
    for (size_t i = 0; i + 1 < tracks.size(); ++i) {
        if (&tracks[i] == &track) return tracks[i + 1].start;
    }
    return leadout;
}

const TocTrack* DiscToc::TrackAt(int32_t lsn) const {
    const TocTrack* found = nullptr;
    for (const TocTrack& t : tracks) {
        if (t.start <= lsn) found = &t;
    }
    return found ? found : (tracks.empty() ? nullptr : &tracks.front());
}

uint32_t CddbDiscId(const DiscToc& toc) {
    if (toc.tracks.empty()) return 0;
    uint32_t digitSums = 0;
    for (const TocTrack& t : toc.tracks) {
        uint32_t seconds = static_cast<uint32_t>(t.start + kLeadInSectors) / kSectorsPerSecond;
        while (seconds > 0) {
            digitSums += seconds % 10;
            seconds /= 10;
        }
    }
    const uint32_t first = static_cast<uint32_t>(toc.tracks.front().start + kLeadInSectors) /
                           kSectorsPerSecond;
    const uint32_t end = static_cast<uint32_t>(toc.leadout + kLeadInSectors) / kSectorsPerSecond;
    const uint32_t length = end > first ? end - first : 0;
    return (digitSums % 0xFF) << 24 | (length & 0xFFFF) << 8 |
           (static_cast<uint32_t>(toc.tracks.size()) & 0xFF);
}

}  // namespace zanto::cd
