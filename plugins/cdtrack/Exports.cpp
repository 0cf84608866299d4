// The fifteen exports of the audio-CD plug-in.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>

#include "common/audio/AudioDevice.h"
#include "common/cd/CDTrackFile.h"
#include "plugins/cdtrack/CdTrackPlayer.h"
#include "plugins/cdtrack/Texts.h"
#include "plugins/contract/HmaPlugin.h"

using cdtrack::CdTrackPlayer;

namespace {

// The library's last error text; only touched from the host's calling thread.
std::string& LastError() {
    static std::string text;
    return text;
}

// Handles handed out and not yet cleared: a stale or foreign handle counts as a null one.
std::unordered_set<CdTrackPlayer*>& Live() {
    static std::unordered_set<CdTrackPlayer*> live;
    return live;
}

CdTrackPlayer* Take(HMA_HANDLE handle) {
    if (!handle) return nullptr;
    auto* player = static_cast<CdTrackPlayer*>(handle);
    return Live().count(player) ? player : nullptr;
}

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) {
    if (!stream) return HMA_OPEN_YES;
    try {
        if (!zanto::audio::HasOutputDevice()) {
            LastError() = cdtrack::kTextNoSoundcard;
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
        Live().insert(player.get());
        return player.release();
    } catch (...) {
        return nullptr;
    }
}

void Clear(HMA_HANDLE handle) {
    CdTrackPlayer* player = Take(handle);
    if (!player) return;
    Live().erase(player);
    player->Shutdown();
    delete player;
}

void Play(HMA_HANDLE handle) {
    if (CdTrackPlayer* p = Take(handle)) p->Play();
}

void Stop(HMA_HANDLE handle) {
    if (CdTrackPlayer* p = Take(handle)) p->Stop();
}

void Pause(HMA_HANDLE handle) {
    if (CdTrackPlayer* p = Take(handle)) p->Pause();
}

int32_t GetDuration(HMA_HANDLE handle) {
    CdTrackPlayer* p = Take(handle);
    return p ? p->Duration() : 0;
}

int32_t GetState(HMA_HANDLE handle) {
    CdTrackPlayer* p = Take(handle);
    return p ? p->State() : 0;
}

int32_t GetPos(HMA_HANDLE handle) {
    CdTrackPlayer* p = Take(handle);
    return p ? p->Position() : 0;
}

void SetPos(HMA_HANDLE handle, int32_t ms) {
    if (CdTrackPlayer* p = Take(handle)) p->SetPos(ms);
}

int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (CdTrackPlayer* p = Take(handle)) return p->GetData(code, buffer, size);
    switch (code) {
        case HMA_DATA_TYPE: return cdtrack::WriteText(buffer, size, cdtrack::kTypeText);
        case HMA_DATA_FILTER: return cdtrack::WriteText(buffer, size, cdtrack::kFilterText);
        case HMA_DATA_NAME: return cdtrack::WriteText(buffer, size, cdtrack::kNameText);
        default: return 0;
    }
}

int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    CdTrackPlayer* p = Take(handle);
    return p ? p->SetData(code, buffer, size) : 0;
}

void* GetStream(HMA_HANDLE) { return nullptr; }

void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) {}

// Hands out the text and empties it, so a failure is reported once.
int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    if (!buffer || size <= 0) return 0;
    std::string& text = LastError();
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    text.clear();
    return static_cast<int32_t>(n + 1);
}

}  // extern "C"
