#pragma once
// A disc image, a track file for one of its tracks and a track cache, as the plug-in tests use
// them. Layout: two audio tracks (100 and 200 sectors), a data track, one more audio track.
#include <fstream>
#include <string>

#include "common/cd/CDTime.h"
#include "common/cd/CDTrackFile.h"
#include "common/cd/DiscToc.h"
#include "common/testing/DiscImage.h"
#include "common/testing/TempDir.h"

namespace cdtrack::testing {

inline const std::vector<zanto::testkit::ImageTrack> kLayout = {
    {true, 100}, {true, 200}, {false, 20}, {true, 25}};

struct CdFixture {
    zanto::testkit::TempDir dir;
    zanto::testkit::DiscImage image = zanto::testkit::WriteDiscImage(dir.Path(), kLayout);

    uint32_t DiscId() const {
        zanto::cd::DiscToc toc;
        for (size_t i = 0; i < image.starts.size(); ++i) {
            toc.tracks.push_back({static_cast<int>(i + 1), image.starts[i], kLayout[i].audio});
        }
        toc.leadout = image.leadout;
        return zanto::cd::CddbDiscId(toc);
    }

    // The track file of a track of the image, as the CD window writes it.
    std::string TrackFile(int track) const {
        const int32_t start = image.starts[static_cast<size_t>(track - 1)];
        const int32_t length = kLayout[static_cast<size_t>(track - 1)].sectors;
        zanto::cd::CDTrackFileData data;
        data.trackNumber = static_cast<uint16_t>(track);
        data.discId = DiscId();
        data.startSector = static_cast<uint32_t>(start + 150);
        data.sectorCount = static_cast<uint32_t>(length);
        data.startMsf = zanto::cd::MsfOfSectors(static_cast<uint32_t>(start + 150));
        data.lengthMsf = zanto::cd::MsfOfSectors(static_cast<uint32_t>(length));
        const std::string path = dir / ("Track" + std::to_string(track) + ".cda");
        zanto::cd::WriteTrackFile(path, data);
        return path;
    }

    // A track cache that names the disc's tracks.
    std::string Cache() const {
        const std::string path = dir / "CDPLAYER.INI";
        std::ofstream ini(path);
        ini << "[" << zanto::cd::DiscSectionName(DiscId()) << "]\nArtist=Band\nTitle=Album\n"
            << "Numtracks=4\n0=First Song\n1=Second Song\n2=Data\n3=Last Song\n";
        return path;
    }
};

}  // namespace cdtrack::testing
