#include "common/cd/CDDevice.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc_hl_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/Settings.h"
#include "common/cd/CDTime.h"
#include "common/cd/CDTmsf.h"

using namespace zanto::cd;

namespace {

uint32_t MsfOf(int32_t sectors) { return MsfOfSectors(sectors < 0 ? 0 : static_cast<uint32_t>(sectors)); }

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

namespace zanto::cd {

std::string SelectedCdSource() {
    if (const char* env = std::getenv("ZANTO_CD_DEVICE"); env && *env) return env;
    std::string setting = ReadTextSetting(kSettingsKey, kCdDeviceSetting, 1024, "");
    if (!setting.empty()) return setting;
    char* found = cdio_get_default_device(nullptr);
    if (!found) return {};
    std::string device = found;
    cdio_free(found);
    return device;
}

}  // namespace zanto::cd

// One opened drive or image. Real drives read through paranoia, which checks and repairs what a
// scratched disc gives back; an image reads exactly, so it is read directly.
struct CCDDevice::Drive {
    std::string source;
    bool image = false;
    CdIo_t* cdio = nullptr;
    cdrom_drive_t* cdda = nullptr;
    cdrom_paranoia_t* paranoia = nullptr;
    bool paranoiaTried = false;
    int32_t nextLsn = -1;

    ~Drive() { CloseHandle(); }

    bool OpenHandle() {
        const std::string ext = LowerExtension(source);
        driver_id_t driver = DRIVER_DEVICE;
        if (ext == ".cue" || ext == ".bin") driver = DRIVER_BINCUE;
        else if (ext == ".toc") driver = DRIVER_CDRDAO;
        else if (ext == ".nrg") driver = DRIVER_NRG;
        image = driver != DRIVER_DEVICE;
        cdio = cdio_open(source.c_str(), driver);
        return cdio != nullptr;
    }

    void CloseHandle() {
        if (paranoia) cdio_paranoia_free(paranoia);
        if (cdda) cdio_cddap_close_no_free_cdio(cdda);
        paranoia = nullptr;
        cdda = nullptr;
        paranoiaTried = false;
        if (cdio) cdio_destroy(cdio);
        cdio = nullptr;
    }

    bool Read(int32_t lsn, uint32_t count, int16_t* out) {
        if (!cdio) return false;
        if (!image && !paranoiaTried) {
            paranoiaTried = true;
            cdda = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
            if (cdda && cdio_cddap_open(cdda) == 0) {
                paranoia = cdio_paranoia_init(cdda);
                if (paranoia) {
                    cdio_paranoia_modeset(paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
                }
            }
            nextLsn = -1;
        }
        if (!paranoia) {
            return cdio_read_audio_sectors(cdio, out, lsn, count) == DRIVER_OP_SUCCESS;
        }
        if (lsn != nextLsn) cdio_paranoia_seek(paranoia, lsn, SEEK_SET);
        for (uint32_t i = 0; i < count; ++i) {
            int16_t* sector = cdio_paranoia_read_limited(paranoia, nullptr, 10);
            if (!sector) {
                nextLsn = -1;
                return false;
            }
            std::memcpy(out + static_cast<size_t>(i) * kSamplesPerSector * 2, sector,
                        CDIO_CD_FRAMESIZE_RAW);
        }
        nextLsn = lsn + static_cast<int32_t>(count);
        return true;
    }
};

CCDDevice::CCDDevice() : CCDDevice(zanto::Clock::System(), {}, DefaultSinkFactory()) {}

CCDDevice::CCDDevice(zanto::Clock& clock, std::string source, CDSinkFactory sinks,
                     std::string lockPath)
    : clock_(clock),
      source_(std::move(source)),
      driveLock_(clock, lockPath.empty() ? DriveLock::DefaultPath() : std::move(lockPath)),
      playback_(std::move(sinks)) {
    // libcdio warns about harmless quirks of images (short pregaps); only errors are worth a line.
    cdio_loglevel_default = CDIO_LOG_ERROR;
}

CCDDevice::~CCDDevice() { Close(); }

int CCDDevice::Fail(uint32_t error) {
    lastError_ = error;
    return 0;
}

int CCDDevice::Open(int32_t waitMs, const std::function<bool()>& giveUp) {
    Close();
    if (!driveLock_.Acquire(waitMs, giveUp)) return Fail(kCdDriveBusy);
    std::lock_guard<std::mutex> lock(lock_);
    auto drive = std::make_unique<Drive>();
    drive->source = source_.empty() ? SelectedCdSource() : source_;
    if (drive->source.empty() || !drive->OpenHandle()) {
        driveLock_.Release();
        return Fail(kCdNoDrive);
    }
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        drive_ = std::move(drive);
    }
    lastHeard_ = -1;
    open_ = true;
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::Close() {
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 1;
    playback_.Stop();
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        drive_.reset();
    }
    open_ = false;
    driveLock_.Release();
    return 1;
}

DiscToc CCDDevice::ReadToc() {
    DiscToc toc;
    if (!drive_ || !drive_->cdio) return toc;
    CdIo_t* cdio = drive_->cdio;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return toc;
    for (int t = first; t < first + count; ++t) {
        const lsn_t lsn = cdio_get_track_lsn(cdio, static_cast<track_t>(t));
        if (lsn == CDIO_INVALID_LSN) return {};
        const bool audio = cdio_get_track_format(cdio, static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
        toc.tracks.push_back(TocTrack{t, lsn, audio});
    }
    const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN || leadout < toc.tracks.back().start) return {};
    toc.leadout = leadout;
    return toc;
}

DiscToc CCDDevice::CurrentToc() {
    RefreshIfChanged();
    std::lock_guard<std::mutex> io(ioMutex_);
    return ReadToc();
}

void CCDDevice::RefreshIfChanged() {
    bool changed = false;
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        if (!drive_ || drive_->image) return;
        changed = !drive_->cdio || cdio_get_media_changed(drive_->cdio) == 1;
    }
    if (!changed) return;
    // Another disc (or none): the cached table of contents is stale, so the handle is reopened.
    playback_.Stop();
    lastHeard_ = -1;
    std::lock_guard<std::mutex> io(ioMutex_);
    drive_->CloseHandle();
    drive_->OpenHandle();
}

bool CCDDevice::ReadAudio(int32_t lsn, uint32_t count, int16_t* out) {
    std::lock_guard<std::mutex> io(ioMutex_);
    return drive_ && drive_->Read(lsn, count, out);
}

int CCDDevice::IsMediaPresent() {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    if (CurrentToc().Empty()) return Fail(kCdNoDisc);
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::IsAudioTrack(int track) {
    if (!open_) return -1;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return -1;  // closed by another thread meanwhile
    const DiscToc toc = CurrentToc();
    if (toc.Empty()) {
        lastError_ = kCdNoDisc;
        return -1;
    }
    const TocTrack* t = toc.Find(track);
    if (!t) {
        lastError_ = kCdNoSuchTrack;
        return -1;
    }
    lastError_ = kCdOk;
    return t->audio ? 1 : 0;
}

int CCDDevice::GetDiscInfo(CDDiscInfo& info) {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    const DiscToc toc = CurrentToc();
    if (toc.Empty()) return Fail(kCdNoDisc);
    info.totalLength = MsfOf(toc.leadout - toc.tracks.front().start);
    info.firstTrackStart = MsfOf(toc.tracks.front().start + kLeadInSectors);
    info.discId = CddbDiscId(toc);
    info.trackCount = static_cast<uint8_t>(toc.tracks.size() & 0xFF);
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::GetTrackInfo(int track, CDTrackInfo& info) {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    const DiscToc toc = CurrentToc();
    if (toc.Empty()) return Fail(kCdNoDisc);
    const TocTrack* t = toc.Find(track);
    if (!t) return Fail(kCdNoSuchTrack);
    info.start = MsfOf(t->start + kLeadInSectors);
    info.length = MsfOf(toc.EndOf(*t) - t->start);
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::GetPosition(uint32_t& tmsf) {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    const DiscToc toc = CurrentToc();
    if (toc.Empty()) return Fail(kCdNoDisc);
    int32_t lsn = playback_.HeardLsn();
    if (lastHeard_ < 0 || lsn < 0) lsn = toc.tracks.front().start;
    const TocTrack* t = toc.TrackAt(lsn);
    tmsf = TmsfOfOffset(static_cast<uint32_t>(t->number), static_cast<uint32_t>(lsn - t->start));
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::Play(uint32_t tmsf) {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    const DiscToc toc = CurrentToc();
    if (toc.Empty()) return Fail(kCdNoDisc);
    const TocTrack* t = toc.Find(static_cast<int>(TmsfTrack(tmsf)));
    if (!t) return Fail(kCdNoSuchTrack);
    if (!t->audio) return Fail(kCdNotAudio);
    const int32_t lsn = t->start + static_cast<int32_t>(TmsfOffsetSectors(tmsf));
    if (lsn >= toc.EndOf(*t)) return Fail(kCdBadPosition);
    std::string why;
    lastHeard_ = lsn;
    if (!playback_.Start(
            toc, lsn, [this](int32_t at, uint32_t n, int16_t* out) { return ReadAudio(at, n, out); },
            &why)) {
        return Fail(kCdNoOutput);
    }
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::Stop() {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    playback_.Stop();
    lastError_ = kCdOk;
    return 1;
}

int CCDDevice::GetMode() {
    if (!open_) return kCdModeNotReady;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return kCdModeNotReady;  // closed by another thread meanwhile
    RefreshIfChanged();
    if (playback_.Playing()) return kCdModePlaying;
    if (playback_.ReadFailed()) lastError_ = kCdReadFailed;
    std::lock_guard<std::mutex> io(ioMutex_);
    return ReadToc().Empty() ? kCdModeNotReady : kCdModeStopped;
}

int CCDDevice::ToggleDoor() {
    if (!open_) return 0;
    std::lock_guard<std::mutex> lock(lock_);
    if (!open_) return 0;  // closed by another thread meanwhile
    RefreshIfChanged();
    bool image = false;
    bool present = false;
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        image = drive_->image;
        present = !ReadToc().Empty();
    }
    if (image) {
        lastError_ = kCdOk;
        return 1;
    }
    playback_.Stop();
    std::lock_guard<std::mutex> io(ioMutex_);
    if (!drive_->cdio) return Fail(kCdDoorFailed);
    const driver_return_code_t rc =
        present ? mmc_eject_media(drive_->cdio) : mmc_close_tray(drive_->cdio);
    if (rc != DRIVER_OP_SUCCESS) return Fail(kCdDoorFailed);
    lastError_ = kCdOk;
    return 1;
}
