#pragma once
// CD track files (".cda"): a 44-byte RIFF file standing for one track of one audio disc. The
// reader takes it through the plug-in contract's media stream; the writer makes one for the CD
// window. Layout, little-endian: "RIFF", 36, "CDDA", "fmt ", 24, version 1 (16 bits), track
// number (16 bits, from 1), disc identity, start and length in sectors, start and length in
// Red Book form.
#include <array>
#include <cstdint>
#include <string>

#include "common/cd/CDPlayerIni.h"
#include "plugins/contract/MediaStream.h"

namespace zanto::cd {

inline constexpr size_t kTrackFileSize = 44;

// What a track file says about its track.
struct CDTrackFileData {
    uint16_t trackNumber = 0;
    uint32_t discId = 0;
    uint32_t startSector = 0;
    uint32_t sectorCount = 0;
    uint32_t startMsf = 0;   // written in Red Book form
    uint32_t lengthMsf = 0;  // written in Red Book form
};

// The 44 bytes of a track file.
std::array<uint8_t, kTrackFileSize> BuildTrackFile(const CDTrackFileData& data);
// Writes a track file; 0 on success, else the errno of the failure (no partial file is left).
int WriteTrackFile(const std::string& path, const CDTrackFileData& data);

}  // namespace zanto::cd

class CCDTrackFile {
public:
    // 1 when the stream holds a valid CD track file, else 0; a stream that fails or throws while
    // it is read makes the file invalid.
    int Read(CMediaStream& stream);

    // Length in ms from the MSF length: minutes and seconds, frames dropped.
    uint32_t GetDuration() const;
    // Copies the track's title from the track cache into buffer (at most size - 1 bytes, cut on
    // a character boundary, NUL-terminated); its length, 0 when the track number is 0 or no title
    // is stored.
    int GetTitle(char* buffer, uint32_t size, const std::string& iniPath = zanto::cd::CdPlayerIniPath()) const;

    uint64_t RiffEnd() const { return riffEnd_; }
    uint16_t Version() const { return version_; }
    uint16_t TrackNumber() const { return trackNumber_; }
    uint32_t DiscId() const { return discId_; }
    uint32_t StartSector() const { return startSector_; }
    uint32_t SectorCount() const { return sectorCount_; }
    uint32_t StartMsf() const { return startMsf_; }
    uint32_t LengthMsf() const { return lengthMsf_; }

private:
    uint64_t riffEnd_ = 0;
    uint16_t version_ = 0;
    uint16_t trackNumber_ = 0;
    uint32_t discId_ = 0;
    uint32_t startSector_ = 0;
    uint32_t sectorCount_ = 0;
    uint32_t startMsf_ = 0;
    uint32_t lengthMsf_ = 0;
};
