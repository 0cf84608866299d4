#pragma once
// The decoder plug-in contract: the fifteen exports of a ".hma" library, their codes, states and
// units. Hosts and plug-ins built by other compilers rely on these names and values; never change
// them. Times are milliseconds (32-bit signed, -1 = not known yet); volume is 0..100.
#include <cstdint>

#include "plugins/contract/MediaStream.h"

typedef void* HMA_HANDLE;  // pointer-sized, opaque, non-null when valid

// Results of CanBeOpen.
enum : int32_t {
    HMA_OPEN_NO = 0,     // not this plug-in's kind of file
    HMA_OPEN_YES = 1,    // the plug-in can play the file
    HMA_OPEN_ERROR = 3,  // its kind, but not playable now; GetLastErrorString tells why
};

// States returned by GetState.
enum : int32_t {
    HMA_STATE_STOPPED = 0,  // opened, stopped or finished (finished: position >= duration)
    HMA_STATE_PLAYING = 1,  // sounding, or busy starting or seeking
    HMA_STATE_PAUSED = 2,   // Play resumes
    HMA_STATE_ERROR = 3,    // playback failed; GetLastErrorString tells why
};

// Codes of GetData and SetData.
enum : int32_t {
    HMA_DATA_FORMAT = 1,      // reserved (18-byte wave format record); nobody answers it
    HMA_DATA_TITLE = 2,       // text
    HMA_DATA_SAMPLERATE = 3,  // text, kHz: "44.1", "22.0", "48"
    HMA_DATA_BITRATE = 4,     // text, kbit/s
    HMA_DATA_TYPE = 5,        // text of at most four characters; buffer of at least 5 bytes
    HMA_DATA_VOLUME = 6,      // int32_t 0..100, get and set
    HMA_DATA_STEREO = 7,      // int32_t: 1 with more than one channel
    HMA_DATA_FILTER = 8,      // text, no handle needed: "WAV (*.wav)|*.wav|"
    HMA_DATA_NAME = 9,        // text, no handle needed: display name
};

// Buffer sizes hosts pass.
inline constexpr int32_t HMA_PROBE_TEXT_SIZE = 256;   // codes 8 and 9 while probing
inline constexpr int32_t HMA_ITEM_TEXT_SIZE = 512;    // codes 2 to 5 for the display
inline constexpr int32_t HMA_ERROR_TEXT_SIZE = 1024;  // GetLastErrorString

// Plug-ins build with hidden visibility; only these fifteen carry HMA_EXPORT.
#if defined(HMA_BUILDING_PLUGIN)
#define HMA_EXPORT __attribute__((visibility("default")))
#else
#define HMA_EXPORT
#endif

extern "C" {
HMA_EXPORT int32_t CanBeOpen(CMediaStream* stream);
HMA_EXPORT HMA_HANDLE Open(CMediaStream* stream);
HMA_EXPORT void Clear(HMA_HANDLE handle);
HMA_EXPORT void Play(HMA_HANDLE handle);
HMA_EXPORT void Stop(HMA_HANDLE handle);
HMA_EXPORT void Pause(HMA_HANDLE handle);
HMA_EXPORT int32_t GetDuration(HMA_HANDLE handle);
HMA_EXPORT int32_t GetState(HMA_HANDLE handle);
HMA_EXPORT int32_t GetPos(HMA_HANDLE handle);
HMA_EXPORT void SetPos(HMA_HANDLE handle, int32_t ms);
HMA_EXPORT int32_t GetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size);
HMA_EXPORT int32_t SetData(HMA_HANDLE handle, int32_t code, void* buffer, int32_t size);
HMA_EXPORT void* GetStream(HMA_HANDLE handle);
HMA_EXPORT void SetSpectrumArea(HMA_HANDLE handle, int32_t a, int32_t b);
HMA_EXPORT int32_t GetLastErrorString(HMA_HANDLE handle, char* buffer, int32_t size);
}

// Pointer types for hosts that bind the exports by name.
namespace hma {
using CanBeOpenFn = int32_t (*)(CMediaStream*);
using OpenFn = HMA_HANDLE (*)(CMediaStream*);
using HandleFn = void (*)(HMA_HANDLE);
using QueryFn = int32_t (*)(HMA_HANDLE);
using SetPosFn = void (*)(HMA_HANDLE, int32_t);
using DataFn = int32_t (*)(HMA_HANDLE, int32_t, void*, int32_t);
using GetStreamFn = void* (*)(HMA_HANDLE);
using SetSpectrumAreaFn = void (*)(HMA_HANDLE, int32_t, int32_t);
using GetLastErrorStringFn = int32_t (*)(HMA_HANDLE, char*, int32_t);

// The export names in ordinal order (10 to 24).
inline constexpr const char* kExportNames[15] = {
    "CanBeOpen", "Open",   "Clear",   "Play",    "Stop",      "Pause",           "GetDuration",
    "GetState",  "GetPos", "SetPos",  "GetData", "SetData",   "GetStream",       "SetSpectrumArea",
    "GetLastErrorString"};
}  // namespace hma
