#include "plugins/cdtrack/CdTrackPlayer.h"

#include <cstring>
#include <string>

#include "common/cd/CDTime.h"
#include "common/cd/CDTmsf.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/TextAnswers.h"
#include "plugins/cdtrack/Texts.h"

namespace cdtrack {

using hma::WriteText;
using zanto::cd::TmsfTrack;

CdTrackPlayer::CdTrackPlayer(PlayerParts parts)
    : clock_(*parts.clock),
      drive_(parts.makeDrive ? parts.makeDrive() : std::make_unique<CCDDevice>()),
      volume_(parts.mixer ? parts.mixer : zanto::MakeAlsaMixer()) {}

CdTrackPlayer::~CdTrackPlayer() { Shutdown(); }

bool CdTrackPlayer::Open(CMediaStream& stream) {
    if (!track_.Read(stream)) return false;
    resume_ = track_.TrackNumber();
    state_ = kOpened;
    // The drive's sound reaches the speakers through the wave output (it is read digitally), not
    // through the card's analogue CD input, so the wave-output line is the one that sets its
    // loudness.
    volume_.Open(zanto::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    return true;
}

void CdTrackPlayer::Shutdown() {
    Stop();
    WaitUntilIdle();
}

void CdTrackPlayer::WaitUntilIdle() {
    while (!idle_.load()) clock_.Sleep(kPollStep);
    if (thread_.joinable()) thread_.join();
}

void CdTrackPlayer::Play() {
    if (!idle_.load()) return;  // a play thread runs already
    if (thread_.joinable()) thread_.join();
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        stopRequested_ = false;
    }
    started_ = false;
    idle_ = false;
    thread_ = std::thread(&CdTrackPlayer::Run, this);
    while (!started_.load()) clock_.Sleep(kPollStep);
    clock_.Sleep(kSettleTime);
}

void CdTrackPlayer::Run() {
    // Waits for the drive as long as another user holds it, unless told to stop meanwhile.
    if (drive_->Open(CCDDevice::kWaitForever, [this] { return stopRequested_.load(); })) {
        bool playing = false;
        if (drive_->Play(resume_.load())) {
            std::lock_guard<std::mutex> lock(stateMutex_);
            if (!stopRequested_.load()) {
                state_ = kPlaying;
                playing = true;
            }
        }
        // Play returns once the drive sounds (or could not start), so the host's next GetState
        // and GetPos already see the playing track.
        started_ = true;
        while (playing) {
            clock_.Sleep(kWatchStep);
            uint32_t position = 0;
            if (!drive_->GetPosition(position) ||
                TmsfTrack(position) != TmsfTrack(resume_.load())) {
                state_ = kStopped;  // the drive has passed into the next track
            }
            if (state_.load() == kStopped) break;
            const int mode = drive_->GetMode();
            if (mode == zanto::cd::kCdModeNotReady || mode == zanto::cd::kCdModeStopped) break;
        }
    }
    started_ = true;
    drive_->Stop();
    drive_->Close();
    state_ = kStopped;
    idle_ = true;
}

void CdTrackPlayer::Stop() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_ = kStopped;
    stopRequested_ = true;
    resume_ = track_.TrackNumber();
}

void CdTrackPlayer::Pause() {
    uint32_t position = 0;
    if (!drive_->GetPosition(position)) return;  // no play thread holds the drive
    // Already in the next track: this item has ended, and resuming there would play a track
    // that is not this one.
    if (TmsfTrack(position) != track_.TrackNumber()) return;
    Stop();
    WaitUntilIdle();
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_ = kPaused;
    resume_ = position;
}

int32_t CdTrackPlayer::MsOfTmsf(uint32_t tmsf) {
    return static_cast<int32_t>((zanto::cd::TmsfMinute(tmsf) * 60 + zanto::cd::TmsfSecond(tmsf)) *
                                1000);
}

int32_t CdTrackPlayer::Duration() {
    CDTrackInfo info;
    if (drive_->GetTrackInfo(static_cast<int>(TmsfTrack(resume_.load())), info)) {
        return static_cast<int32_t>(
            (zanto::cd::MsfMinute(info.length) * 60 + zanto::cd::MsfSecond(info.length)) * 1000);
    }
    return static_cast<int32_t>(track_.GetDuration());
}

int32_t CdTrackPlayer::State() {
    switch (state_.load()) {
        case kOpened: return HMA_STATE_PLAYING;
        case kPaused: return HMA_STATE_PAUSED;
        default: break;
    }
    const int mode = drive_->GetMode();
    return mode == zanto::cd::kCdModePlaying || mode == zanto::cd::kCdModePaused
               ? HMA_STATE_PLAYING
               : HMA_STATE_STOPPED;
}

int32_t CdTrackPlayer::Position() {
    const int state = state_.load();
    if (state == kOpened) return 0;
    if (state == kPaused) return MsOfTmsf(resume_.load());
    uint32_t position = 0;
    // A drive that has passed into another track has ended this one, even before the play
    // thread has noticed: it then reports its full length like an ended track.
    if (drive_->GetPosition(position) && TmsfTrack(position) == TmsfTrack(resume_.load())) {
        return MsOfTmsf(position);
    }
    return static_cast<int32_t>(track_.GetDuration());
}

void CdTrackPlayer::SetPos(int32_t ms) {
    if (ms < 0) ms = 0;
    const uint32_t at = static_cast<uint32_t>(ms);
    drive_->Play(zanto::cd::MakeTmsf(track_.TrackNumber(), at / 60000, at / 1000 % 60, 0));
}

int32_t CdTrackPlayer::GetData(int32_t code, void* buffer, int32_t size) {
    if (!buffer || size <= 0) return 0;
    switch (code) {
        case HMA_DATA_TITLE: {
            char title[zanto::cd::kTrackTitleBuffer] = {};
            const int length = track_.GetTitle(title, sizeof title);
            if (length <= 0) return 0;
            return WriteText(buffer, size, title) ? length : 0;
        }
        case HMA_DATA_TYPE: return WriteText(buffer, size, kTypeText);
        case HMA_DATA_VOLUME: {
            if (!volume_.IsAvailable() || size < static_cast<int32_t>(sizeof(int32_t))) return 0;
            const int32_t volume = zanto::VolumeFromLevel(volume_.GetLevel());
            std::memcpy(buffer, &volume, sizeof volume);
            return 1;
        }
        case HMA_DATA_FILTER: return WriteText(buffer, size, kFilterText);
        case HMA_DATA_NAME: return WriteText(buffer, size, kNameText);
        default: return 0;
    }
}

int32_t CdTrackPlayer::SetData(int32_t code, void* buffer, int32_t size) {
    if (code != HMA_DATA_VOLUME) return 1;
    if (!volume_.IsAvailable() || !buffer || size < static_cast<int32_t>(sizeof(int32_t))) return 0;
    int32_t volume = 0;
    std::memcpy(&volume, buffer, sizeof volume);
    volume_.SetLevel(zanto::LevelFromVolume(volume));
    return 1;
}

}  // namespace cdtrack
