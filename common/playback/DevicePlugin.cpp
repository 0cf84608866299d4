#include "common/playback/DevicePlugin.h"

#include <cstdio>
#include <cstring>

#include "plugins/contract/TextAnswers.h"

namespace zanto::playback {

using hma::CopyErrorText;
using hma::SampleRateText;
using hma::WriteText;

bool FileBeginsWith(const std::string& path, const char magic[4]) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char head[4];
    bool ok = std::fread(head, 1, 4, f) == 4 && std::memcmp(head, magic, 4) == 0;
    std::fclose(f);
    return ok;
}

DevicePlugin::DevicePlugin(DevicePluginDescription description) : d_(std::move(description)) {}

DevicePlugin::Item* DevicePlugin::Find(HMA_HANDLE handle) { return live_.Find(handle); }

int32_t DevicePlugin::CanBeOpen(CMediaStream* stream) {
    if (!stream) return HMA_OPEN_YES;
    try {
        if (!d_.hasWaveOutput()) {
            lastCode_ = kCodeNoDevice;
            return HMA_OPEN_ERROR;
        }
        const char* path = stream->GetPath();
        if (!path || !d_.recognises(path)) return HMA_OPEN_NO;
        if (!d_.outputFree()) {
            lastCode_ = kCodeBusy;
            return HMA_OPEN_ERROR;
        }
        return HMA_OPEN_YES;
    } catch (...) {
        // A stream that fails while the file is looked at: not a file of this kind.
        return HMA_OPEN_NO;
    }
}

HMA_HANDLE DevicePlugin::Open(CMediaStream* stream) {
    if (!stream) return nullptr;
    try {
        const char* path = stream->GetPath();
        if (!path) return nullptr;
        auto item = std::make_unique<Item>(d_.setup());
        item->player.OpenFile(path);
        item->sampleRateText = SampleRateText(item->player.SampleRate());
        item->bitRateText = std::to_string(item->player.AvgBytesPerSec() * 8ull / 1000);
        Item* raw = item.release();
        live_.Insert(raw);
        return raw;
    } catch (...) {
        return nullptr;
    }
}

void DevicePlugin::Clear(HMA_HANDLE handle) {
    Item* item = Find(handle);
    if (!item) return;
    live_.Erase(item);
    delete item;
}

void DevicePlugin::Play(HMA_HANDLE handle) {
    Item* item = Find(handle);
    if (!item) return;
    item->player.Play();
    if (item->player.OutputFailed()) lastCode_ = kCodeBusy;
}

void DevicePlugin::Stop(HMA_HANDLE handle) {
    if (Item* item = Find(handle)) item->player.Stop();
}

void DevicePlugin::Pause(HMA_HANDLE handle) {
    if (Item* item = Find(handle)) item->player.Pause();
}

int32_t DevicePlugin::GetDuration(HMA_HANDLE handle) {
    Item* item = Find(handle);
    return item ? item->player.Duration() : 0;
}

int32_t DevicePlugin::GetState(HMA_HANDLE handle) {
    Item* item = Find(handle);
    if (!item) return 0;
    // Without a sound output nothing plays: say so instead of looking stopped half-way.
    if (item->player.OutputFailed()) return HMA_STATE_ERROR;
    return item->player.State();
}

int32_t DevicePlugin::GetPos(HMA_HANDLE handle) {
    Item* item = Find(handle);
    return item ? item->player.Position() : 0;
}

void DevicePlugin::SetPos(HMA_HANDLE handle, int32_t ms) {
    Item* item = Find(handle);
    if (!item) return;
    item->player.SetPos(ms);
    if (item->player.OutputFailed()) lastCode_ = kCodeBusy;
}

int32_t DevicePlugin::GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    if (code == HMA_DATA_FILTER) return WriteText(buffer, size, d_.filterText);
    if (code == HMA_DATA_NAME) return WriteText(buffer, size, d_.nameText);
    Item* item = Find(handle);
    if (!item || !buffer) return 0;
    switch (code) {
        case HMA_DATA_SAMPLERATE:
            return d_.answersWaveFacts ? WriteText(buffer, size, item->sampleRateText) : 0;
        case HMA_DATA_BITRATE:
            return d_.answersWaveFacts ? WriteText(buffer, size, item->bitRateText) : 0;
        case HMA_DATA_TYPE:
            return size >= 5 ? WriteText(buffer, size, d_.typeText) : 0;
        case HMA_DATA_VOLUME: {
            int32_t volume = 0;
            if (size < 4 || !item->player.GetVolume(&volume)) return 0;
            std::memcpy(buffer, &volume, sizeof volume);
            return 1;
        }
        case HMA_DATA_STEREO: {
            if (!d_.answersWaveFacts || size < 4) return 0;
            int32_t stereo = item->player.Channels() > 1 ? 1 : 0;
            std::memcpy(buffer, &stereo, sizeof stereo);
            return 1;
        }
        default: return 0;
    }
}

int32_t DevicePlugin::SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    Item* item = Find(handle);
    if (!item) return 0;
    if (code != HMA_DATA_VOLUME) return 1;
    if (!buffer || size < 4) return 0;
    int32_t volume;
    std::memcpy(&volume, buffer, sizeof volume);
    return item->player.SetVolume(volume);
}

int32_t DevicePlugin::GetLastErrorString(char* buffer, int32_t size) {
    switch (lastCode_) {
        case kCodeNoDevice: return CopyErrorText(buffer, size, d_.textNoDevice);
        case kCodeBusy: return CopyErrorText(buffer, size, d_.textBusy);
        default: return 0;
    }
}

}  // namespace zanto::playback
