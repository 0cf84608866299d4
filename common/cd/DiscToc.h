#pragma once
// The table of contents of a disc as the drive code works with it: track starts as logical
// sector numbers (LSN 0 is MSF 00:02:00), the kind of each track and the lead-out.
#include <cstdint>
#include <optional>
#include <vector>

namespace zanto::cd {

inline constexpr uint32_t kSectorsPerSecond = 75;
inline constexpr int32_t kLeadInSectors = 150;       // MSF of LSN 0 is 00:02:00
inline constexpr uint32_t kSamplesPerSector = 588;   // stereo sample frames of 2352 bytes

struct TocTrack {
    int number = 0;
    int32_t start = 0;  // LSN
    bool audio = true;
};

struct DiscToc {
    std::vector<TocTrack> tracks;  // in disc order
    int32_t leadout = 0;           // LSN of the lead-out

    bool Empty() const { return tracks.empty(); }
    const TocTrack* Find(int number) const;
    // First LSN after the track (the next track's start, or the lead-out).
    int32_t EndOf(const TocTrack& track) const;
    // The track that holds the sector; an LSN at or past the lead-out belongs to the last track.
    const TocTrack* TrackAt(int32_t lsn) const;
};

// The well-known CDDB (freedb) disc identity: ((sum of the digit sums of each track's start in
// whole seconds, counting the 2-second lead-in) mod 255) << 24 | (disc length in whole seconds,
// lead-out start minus first track start) << 8 | number of tracks. Track caches and disc
// databases key discs by it, so the same disc always gets the same number.
uint32_t CddbDiscId(const DiscToc& toc);

}  // namespace zanto::cd
