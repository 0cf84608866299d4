#pragma once
// Access to the CD audio drive (or a disc image standing in for one): open and close it under
// the drive lock "MxAudio", read the table of contents and the disc identity, play from a track
// position on to the end of the disc, ask position and mode, stop, and move the tray.
//
// Playing reads the audio sectors digitally and sends them to the sound output; position and mode
// describe what is heard. Positions of whole-disc values are MSF (minute in the lowest byte, then
// second, then frame of 1/75 s); track positions are TMSF (track number in the lowest byte, then
// minute, second and frame within the track).
//
// Every operation other than Open and Close fails at once while the drive is not open, then runs
// under the object's lock, so the threads sharing one object are serialised.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "common/Clock.h"
#include "common/cd/CDPlayback.h"
#include "common/cd/CDDiscNames.h"
#include "common/cd/CDSoundSink.h"
#include "common/cd/DiscToc.h"
#include "common/cd/DriveLock.h"

namespace zanto::cd {

// The last error of a drive object (0 = success).
enum CDError : uint32_t {
    kCdOk = 0,
    kCdNoDrive = 1,      // no drive found, or the drive or image cannot be opened
    kCdDriveBusy = 2,    // another owner kept the drive lock past the wait limit
    kCdNoDisc = 3,       // no disc (or no readable table of contents)
    kCdNoSuchTrack = 4,
    kCdNotAudio = 5,     // the track holds data
    kCdBadPosition = 6,  // the position lies beyond the end of its track
    kCdNoOutput = 7,     // the sound output cannot be opened
    kCdReadFailed = 8,   // reading audio sectors failed while playing
    kCdDoorFailed = 9,
};

// Drive modes of GetMode.
enum CDMode : int { kCdModeNotReady = 0, kCdModePlaying = 1, kCdModeStopped = 2, kCdModePaused = 3 };

// The settings value that names the drive or image when ZANTO_CD_DEVICE is not set.
inline constexpr const char* kCdDeviceSetting = "cddevice";

// ZANTO_CD_DEVICE, else the "cddevice" setting, else the default drive that libcdio finds;
// empty when there is none.
std::string SelectedCdSource();

}  // namespace zanto::cd

struct CDTrackInfo {
    uint32_t start = 0;   // MSF
    uint32_t length = 0;  // MSF
};

// The disc information of GetDiscInfo: discId is the CDDB disc identity, totalLength runs from
// the first track's start to the lead-out.
using zanto::cd::CDDiscInfo;

class CCDDevice final : public zanto::cd::CDDiscInfoSource {
public:
    static constexpr int32_t kWaitForever = -1;

    // The selected drive, the system clock and the common sound output.
    CCDDevice();
    // source: a drive or image path (empty: the selected one at each Open); lockPath: the drive
    // lock file (empty: "MxAudio" in the runtime folder).
    CCDDevice(zanto::Clock& clock, std::string source, zanto::cd::CDSinkFactory sinks,
              std::string lockPath = {});
    ~CCDDevice() override;
    CCDDevice(const CCDDevice&) = delete;
    CCDDevice& operator=(const CCDDevice&) = delete;

    // Closes, waits up to waitMs (-1: no limit) for the drive lock, opens the drive. giveUp, when
    // given, ends an unlimited wait early (a player that is told to stop while it waits). 1 / 0.
    int Open(int32_t waitMs, const std::function<bool()>& giveUp = {});
    // Stops play, closes the drive and releases the drive lock; 1 (also when already closed).
    int Close();
    int IsMediaPresent();
    // 1 audio track, 0 other track, -1 failure (closed, no disc, no such track).
    int IsAudioTrack(int track);
    int GetDiscInfo(CDDiscInfo& info) override;
    int GetTrackInfo(int track, CDTrackInfo& info);
    // TMSF of what is heard (or of where play last stopped).
    int GetPosition(uint32_t& tmsf);
    // Plays from the TMSF position on to the end of the disc, across track boundaries.
    int Play(uint32_t tmsf);
    int Stop();
    int GetMode();
    // With a disc in the drive opens the tray, without one closes it; an image has no tray.
    int ToggleDoor();

    uint32_t GetLastError() const { return lastError_.load(); }
    bool IsOpen() const { return open_.load(); }

private:
    struct Drive;

    zanto::cd::DiscToc ReadToc();  // under ioMutex_
    void RefreshIfChanged();       // under lock_
    zanto::cd::DiscToc CurrentToc();  // under lock_: the table of contents of the disc in the drive
    bool ReadAudio(int32_t lsn, uint32_t count, int16_t* out);
    int Fail(uint32_t error);

    zanto::Clock& clock_;
    std::string source_;
    std::mutex lock_;    // the object's lock: one operation at a time
    std::mutex ioMutex_; // the libcdio handle, shared with the play thread's reads
    std::unique_ptr<Drive> drive_;
    zanto::cd::DriveLock driveLock_;
    zanto::cd::CDPlayback playback_;
    std::atomic<bool> open_{false};
    std::atomic<uint32_t> lastError_{0};
    int32_t lastHeard_ = -1;
};
