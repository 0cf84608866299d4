// The fifteen exports of the audio-CD plug-in.
#include <memory>
#include <string>

#include "common/audio/AudioDevice.h"
#include "common/cd/CDTrackFile.h"
#include "plugins/cdtrack/CdTrackPlayer.h"
#include "plugins/cdtrack/Texts.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/LiveHandles.h"
#include "plugins/contract/TextAnswers.h"

using cdtrack::CdTrackPlayer;

namespace {

using hma::LastErrorText;

// This library's handles.
hma::LiveHandles<CdTrackPlayer>& Live() { return hma::Live<CdTrackPlayer>(); }

CdTrackPlayer* Take(HMA_HANDLE handle) { return Live().Find(handle); }

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) {
    if (!stream) return HMA_OPEN_YES;
    try {
        if (!zanto::audio::HasOutputDevice()) {
            LastErrorText() = cdtrack::kTextNoSoundcard;
            return HMA_OPEN_ERROR;
        }
        CCDTrackFile track;
        return track.Read(*stream) ? HMA_OPEN_YES : HMA_OPEN_NO;
    } catch (...) {
        return HMA_OPEN_NO;
    }
}

HMA_HANDLE Open(CMediaStream* stream) {
    if (!stream) return nullptr;
    try {
        auto player = std::make_unique<CdTrackPlayer>(cdtrack::PlayerParts{});
        if (!player->Open(*stream)) return nullptr;
        Live().Insert(player.get());
        return player.release();
    } catch (...) {
        return nullptr;
    }
}

void Clear(HMA_HANDLE handle) {
    CdTrackPlayer* player = Take(handle);
    if (!player) return;
    Live().Erase(player);
    player->Shutdown();
    delete player;
}

void Play(HMA_HANDLE handle) { Live().Tell(handle, &CdTrackPlayer::Play); }

void Stop(HMA_HANDLE handle) { Live().Tell(handle, &CdTrackPlayer::Stop); }

void Pause(HMA_HANDLE handle) { Live().Tell(handle, &CdTrackPlayer::Pause); }

int32_t GetDuration(HMA_HANDLE handle) { return Live().Ask(handle, &CdTrackPlayer::Duration); }

int32_t GetState(HMA_HANDLE handle) { return Live().Ask(handle, &CdTrackPlayer::State); }

int32_t GetPos(HMA_HANDLE handle) { return Live().Ask(handle, &CdTrackPlayer::Position); }

void SetPos(HMA_HANDLE handle, int32_t ms) { Live().Tell(handle, &CdTrackPlayer::SetPos, ms); }

int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (CdTrackPlayer* p = Take(handle)) return p->GetData(code, buffer, size);
    switch (code) {
        case HMA_DATA_TYPE: return hma::WriteText(buffer, size, cdtrack::kTypeText);
        case HMA_DATA_FILTER: return hma::WriteText(buffer, size, cdtrack::kFilterText);
        case HMA_DATA_NAME: return hma::WriteText(buffer, size, cdtrack::kNameText);
        default: return 0;
    }
}

int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return Live().Ask(handle, &CdTrackPlayer::SetData, code, buffer, size);
}

void* GetStream(HMA_HANDLE) { return nullptr; }

void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) {}

// Hands out the text and empties it, so a failure is reported once.
int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    const int32_t written = hma::CopyText(buffer, size, LastErrorText());
    if (written > 0) LastErrorText().clear();
    return written;
}

}  // extern "C"
