// The fifteen exports of a plug-in built on DevicePlugin, forwarded to the plug-in's one
// DevicePlugin. Compiled into each such plug-in library (a static library would not pull it in);
// the plug-in defines TheDevicePlugin().
#include "common/playback/DevicePlugin.h"

using zanto::playback::TheDevicePlugin;

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) { return TheDevicePlugin().CanBeOpen(stream); }
HMA_HANDLE Open(CMediaStream* stream) { return TheDevicePlugin().Open(stream); }
void Clear(HMA_HANDLE handle) { TheDevicePlugin().Clear(handle); }
void Play(HMA_HANDLE handle) { TheDevicePlugin().Play(handle); }
void Stop(HMA_HANDLE handle) { TheDevicePlugin().Stop(handle); }
void Pause(HMA_HANDLE handle) { TheDevicePlugin().Pause(handle); }
int32_t GetDuration(HMA_HANDLE handle) { return TheDevicePlugin().GetDuration(handle); }
int32_t GetState(HMA_HANDLE handle) { return TheDevicePlugin().GetState(handle); }
int32_t GetPos(HMA_HANDLE handle) { return TheDevicePlugin().GetPos(handle); }
void SetPos(HMA_HANDLE handle, int32_t ms) { TheDevicePlugin().SetPos(handle, ms); }
int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return TheDevicePlugin().GetData(handle, code, buffer, size);
}
int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size) {
    return TheDevicePlugin().SetData(handle, code, buffer, size);
}
void* GetStream(HMA_HANDLE) { return nullptr; }
void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) {}
int32_t GetLastErrorString(HMA_HANDLE, char* buffer, int32_t size) {
    return TheDevicePlugin().GetLastErrorString(buffer, size);
}

}  // extern "C"
