// The fifteen exports of the MPEG audio plug-in.
#include <memory>
#include <string>

#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "common/audio/AudioDevice.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/LiveHandles.h"
#include "plugins/contract/TextAnswers.h"
#include "plugins/mpegaud/MpegEngine.h"
#include "plugins/mpegaud/Player.h"
#include "plugins/mpegaud/Texts.h"

using mpegaud::Player;

namespace {

// A command that cannot even be queued (no memory) is dropped like a lost message.
using hma::Guarded;
using hma::LastErrorText;

// This library's handles.
hma::LiveHandles<Player>& Live() { return hma::Live<Player>(); }

// The player behind a handle with its notifications taken in, or null.
Player* Take(HMA_HANDLE handle) { return Live().Take(handle); }

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
            LastErrorText() = mpegaud::kTextNoDevice;
            return HMA_OPEN_ERROR;
        }
        std::string path;
        if (!PathOf(stream, path)) return HMA_OPEN_NO;
        if (!zanto::mpeg::IsValidHeader(zanto::ProbeMpegFile(path))) return HMA_OPEN_NO;
        if (!zanto::audio::TestOpenDefaultDevice()) {
            LastErrorText() = mpegaud::kTextDeviceBusy;
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
    } catch (...) {  // std::bad_alloc, or no thread could be started
        LastErrorText() = mpegaud::kTextNoMemory;
        return nullptr;
    }
    if (player->OpenInput(path) != 0) {
        player.reset();
        LastErrorText() = mpegaud::kTextCannotOpenInput;
        return nullptr;
    }
    try {
        player->TakeHeader(zanto::ProbeMpegFile(path));
        Live().Insert(player.get());
    } catch (...) {
        player.reset();
        LastErrorText() = mpegaud::kTextNoMemory;
        return nullptr;
    }
    return player.release();
}

void Clear(HMA_HANDLE handle) {
    Player* player = Take(handle);
    if (!player) return;
    Live().Erase(player);
    Guarded([&] { player->Shutdown(); });
    delete player;
}

void Play(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) Guarded([&] { p->Play(); });
}

void Stop(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) Guarded([&] { p->Stop(); });
}

void Pause(HMA_HANDLE handle) {
    if (Player* p = Take(handle)) Guarded([&] { p->Pause(); });
}

int32_t GetDuration(HMA_HANDLE handle) { return Live().Ask(handle, &Player::Duration); }

int32_t GetState(HMA_HANDLE handle) { return Live().Ask(handle, &Player::State); }

int32_t GetPos(HMA_HANDLE handle) { return Live().Ask(handle, &Player::Position); }

void SetPos(HMA_HANDLE handle, int32_t ms) {
    if (Player* p = Take(handle)) Guarded([&] { p->SetPos(ms); });
}

int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (!handle) {
        if (code == HMA_DATA_FILTER) return hma::WriteText(buffer, size, mpegaud::kFilterText);
        if (code == HMA_DATA_NAME) return hma::WriteText(buffer, size, mpegaud::kNameText);
        return 0;
    }
    Player* p = Take(handle);
    return p ? p->GetData(code, buffer, size) : 0;
}

int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    Player* p = Take(handle);
    int32_t result = 0;
    if (p) Guarded([&] { result = p->SetData(code, buffer, size); });
    return result;
}

void* GetStream(HMA_HANDLE handle) {
    Take(handle);
    return nullptr;
}

void SetSpectrumArea(HMA_HANDLE handle, int32_t, int32_t) { Take(handle); }

int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    return hma::CopyText(buffer, size, LastErrorText());
}

}  // extern "C"
