// The fifteen exports of the RealAudio plug-in: RealMedia and RealAudio clips played by the engine.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/audio/AudioDevice.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/LiveHandles.h"
#include "plugins/contract/TextAnswers.h"
#include "plugins/rastream/RealAudio.h"

using rastream::CRealAudio;

namespace {

// The library's last error code; only touched from the host's calling thread.
int32_t g_lastCode = rastream::kCodeNone;

// This library's handles.
hma::LiveHandles<CRealAudio>& Live() { return hma::Live<CRealAudio>(); }

// The player behind a handle with its notifications taken in, or null.
CRealAudio* Take(HMA_HANDLE handle) { return Live().Take(handle); }

void Record(int32_t code) {
    if (code != rastream::kCodeNone) g_lastCode = code;
}

// ".ra" with any fourth byte (RealAudio) or ".RMF" (RealMedia), read with the C library.
bool IsRealAudioFile(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char head[4];
    bool whole = std::fread(head, 1, 4, f) == 4;
    std::fclose(f);
    return whole && (std::memcmp(head, ".ra", 3) == 0 || std::memcmp(head, ".RMF", 4) == 0);
}

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) {
    if (!stream) return HMA_OPEN_YES;
    try {
        if (!zanto::audio::HasOutputDevice()) {
            g_lastCode = rastream::kCodeNoDevice;
            return HMA_OPEN_ERROR;
        }
        const char* path = stream->GetPath();
        if (!path || !IsRealAudioFile(path)) return HMA_OPEN_NO;
        if (!zanto::audio::TestOpenDefaultDevice()) {
            g_lastCode = rastream::kCodeBusy;
            return HMA_OPEN_ERROR;
        }
        return HMA_OPEN_YES;
    } catch (...) {
        return HMA_OPEN_NO;
    }
}

HMA_HANDLE Open(CMediaStream* stream) {
    if (!stream) return nullptr;
    try {
        const char* p = stream->GetPath();
        if (!p) return nullptr;
        std::string path = p;
        auto player = std::make_unique<CRealAudio>();
        // The engine opens the file by itself.
        try {
            stream->Close();
        } catch (...) {
        }
        if (!player->Setup(path)) return nullptr;
        CRealAudio* raw = player.release();
        Live().Insert(raw);
        return raw;
    } catch (...) {
        return nullptr;
    }
}

void Clear(HMA_HANDLE handle) {
    CRealAudio* player = Take(handle);
    if (!player) return;
    Live().Erase(player);
    delete player;
}

void Play(HMA_HANDLE handle) {
    if (CRealAudio* player = Take(handle)) Record(player->Play(zanto::audio::HasOutputDevice()));
}

void Stop(HMA_HANDLE handle) { Live().Tell(handle, &CRealAudio::Stop); }

void Pause(HMA_HANDLE handle) { Live().Tell(handle, &CRealAudio::Pause); }

int32_t GetDuration(HMA_HANDLE handle) { return Live().Ask(handle, &CRealAudio::Duration); }

int32_t GetState(HMA_HANDLE handle) { return Live().Ask(handle, &CRealAudio::State); }

int32_t GetPos(HMA_HANDLE handle) { return Live().Ask(handle, &CRealAudio::Position); }

void SetPos(HMA_HANDLE handle, int32_t ms) {
    if (CRealAudio* player = Take(handle))
        Record(player->SetPos(ms, zanto::audio::HasOutputDevice()));
}

int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (code == HMA_DATA_FILTER)
        return hma::WriteText(buffer, size, "Real Audio (*.ra)|*.ra|");
    if (code == HMA_DATA_NAME) return hma::WriteText(buffer, size, "Real Audio Player");
    CRealAudio* player = Take(handle);
    return player ? player->GetData(code, buffer, size) : 0;
}

int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return Live().Ask(handle, &CRealAudio::SetData, code, buffer, size);
}

void* GetStream(HMA_HANDLE) { return nullptr; }

void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) {}

int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    switch (g_lastCode) {
        case rastream::kCodeNoDevice:
            return hma::CopyErrorText(buffer, size, rastream::kTextNoDevice);
        case rastream::kCodeBusy:
            return hma::CopyErrorText(buffer, size, rastream::kTextBusy);
        default: return 0;
    }
}

}  // extern "C"
