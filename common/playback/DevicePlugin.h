#pragma once
// The exports of a plug-in that plays through the playback device, shared by the WAVE and the MIDI
// plug-in, which differ only in what this description holds. Each plug-in library has one
// DevicePlugin (TheDevicePlugin) and DevicePluginExports.cpp forwards its fifteen exports to it.
#include <cstdint>
#include <functional>
#include <string>

#include "common/playback/DevicePlayer.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/LiveHandles.h"

namespace zanto::playback {

struct DevicePluginDescription {
    const char* textNoDevice;   // code 100
    const char* textBusy;       // code 110
    const char* typeText;       // GetData 5
    const char* filterText;     // GetData 8
    const char* nameText;       // GetData 9
    bool answersWaveFacts;      // GetData 3, 4 and 7
    // True when the file at path is of the plug-in's kind (it reads the file itself).
    std::function<bool(const std::string& path)> recognises;
    // The test open of the output device the plug-in will need; true when it is free.
    std::function<bool()> outputFree;
    std::function<bool()> hasWaveOutput;
    // The player's setup for a file.
    std::function<DevicePlayerSetup()> setup;
};

class DevicePlugin {
public:
    enum : int32_t { kCodeNone = 0, kCodeNoDevice = 100, kCodeBusy = 110 };

    explicit DevicePlugin(DevicePluginDescription description);

    int32_t CanBeOpen(CMediaStream* stream);
    HMA_HANDLE Open(CMediaStream* stream);
    void Clear(HMA_HANDLE handle);
    void Play(HMA_HANDLE handle);
    void Stop(HMA_HANDLE handle);
    void Pause(HMA_HANDLE handle);
    int32_t GetDuration(HMA_HANDLE handle);
    int32_t GetState(HMA_HANDLE handle);
    int32_t GetPos(HMA_HANDLE handle);
    void SetPos(HMA_HANDLE handle, int32_t ms);
    int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size);
    int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size);
    int32_t GetLastErrorString(char* buffer, int32_t size);

    int32_t LastCode() const { return lastCode_; }

private:
    struct Item {
        DevicePlayer player;
        std::string sampleRateText;
        std::string bitRateText;
        explicit Item(DevicePlayerSetup setup) : player(std::move(setup)) {}
    };
    Item* Find(HMA_HANDLE handle);

    DevicePluginDescription d_;
    int32_t lastCode_ = kCodeNone;  // the library's, not a handle's
    hma::LiveHandles<Item> live_;
};

// The plug-in library's one DevicePlugin, defined by the plug-in; DevicePluginExports.cpp forwards
// the fifteen exports to it.
DevicePlugin& TheDevicePlugin();

// True when the file at path begins with the four bytes magic (read with the C library).
bool FileBeginsWith(const std::string& path, const char magic[4]);

}  // namespace zanto::playback
