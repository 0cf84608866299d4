// The fifteen exports of the MPEG audio plug-in.
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <unordered_set>

#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "common/audio/AudioDevice.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/mpegaud/MpegEngine.h"
#include "plugins/mpegaud/Player.h"
#include "plugins/mpegaud/Texts.h"

using mpegaud::Player;

namespace {

// The library's last error text; only touched from the host's calling thread.
std::string& LastError() {
    static std::string text;
    return text;
}

// Handles this library has handed out and not yet cleared: a stale or foreign handle is treated
// like a null one instead of being followed.
std::unordered_set<Player*>& Live() {
    static std::unordered_set<Player*> live;
    return live;
}

// The player behind a handle with its notifications taken in, or null.
Player* Take(HMA_HANDLE handle) {
    if (!handle) return nullptr;
    auto* player = static_cast<Player*>(handle);
    if (!Live().count(player)) return nullptr;
    player->Drain();
    return player;
}

// The stream's path, or empty when the stream fails.
bool PathOf(CMediaStream* stream, std::string& path) {
    try {
        const char* p = stream->GetPath();
        if (!p) return false;
        path = p;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) {
    if (!stream) return HMA_OPEN_YES;
    try {
        if (!zanto::audio::HasOutputDevice()) {
            LastError() = mpegaud::kTextNoDevice;
            return HMA_OPEN_ERROR;
        }
        std::string path;
        if (!PathOf(stream, path)) return HMA_OPEN_NO;
        if (!zanto::mpeg::IsValidHeader(zanto::ProbeMpegFile(path))) return HMA_OPEN_NO;
        if (!zanto::audio::TestOpenDefaultDevice()) {
            LastError() = mpegaud::kTextDeviceBusy;
            return HMA_OPEN_ERROR;
        }
        return HMA_OPEN_YES;
    } catch (...) {
        return HMA_OPEN_NO;
    }
}

HMA_HANDLE Open(CMediaStream* stream) {
    if (!stream) return nullptr;
    std::string path;
    if (!PathOf(stream, path)) return nullptr;
    std::unique_ptr<Player> player;
    try {
        player = std::make_unique<Player>(std::make_unique<mpegaud::MpegEngine>());
        Live().reserve(Live().size() + 1);
    } catch (...) {  // std::bad_alloc, or no thread could be started
        LastError() = mpegaud::kTextNoMemory;
        return nullptr;
    }
    if (player->OpenInput(path) != 0) {
        player.reset();
        LastError() = mpegaud::kTextCannotOpenInput;
        return nullptr;
    }
    try {
        player->TakeHeader(zanto::ProbeMpegFile(path));
    } catch (...) {
        player->TakeHeader(0);
    }
    Live().insert(player.get());
    return player.release();
}

void Clear(HMA_HANDLE handle) {
    Player* player = Take(handle);
    if (!player) return;
    Live().erase(player);
    player->Shutdown();
    delete player;
}

void Play(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) p->Play();
}

void Stop(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) p->Stop();
}

void Pause(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) p->Pause();
}

int32_t GetDuration(HMA_HANDLE handle) {
    Player* p = Take(handle);
    return p ? p->Duration() : 0;
}

int32_t GetState(HMA_HANDLE handle) {
    Player* p = Take(handle);
    return p ? p->State() : 0;
}

int32_t GetPos(HMA_HANDLE handle) {
    Player* p = Take(handle);
    return p ? p->Position() : 0;
}

void SetPos(HMA_HANDLE handle, int32_t ms) {
    if (Player* p = Take(handle)) p->SetPos(ms);
}

int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (!handle) {
        if (code == HMA_DATA_FILTER) return mpegaud::WriteText(buffer, size, mpegaud::kFilterText);
        if (code == HMA_DATA_NAME) return mpegaud::WriteText(buffer, size, mpegaud::kNameText);
        return 0;
    }
    Player* p = Take(handle);
    return p ? p->GetData(code, buffer, size) : 0;
}

int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    Player* p = Take(handle);
    return p ? p->SetData(code, buffer, size) : 0;
}

void* GetStream(HMA_HANDLE handle) {
    Take(handle);
    return nullptr;
}

void SetSpectrumArea(HMA_HANDLE handle, int32_t, int32_t) { Take(handle); }

int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    if (!buffer || size <= 0) return 0;
    const std::string& text = LastError();
    size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n + 1);
}

}  // extern "C"
