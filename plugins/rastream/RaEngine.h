#pragma once
// The RealAudio playback engine: opens a RealMedia (".RMF") or RealAudio (".ra") clip itself,
// decodes it with FFmpeg and plays it on the common sound output on a thread of its own, reporting
// progress to a registered mailbox. A result below 1, or exactly kRaResultAlready, is success.
#include <cstdint>

#include "plugins/rastream/RaMailbox.h"

namespace rastream {

struct RaClient;
using RaHandle = RaClient*;

// Results.
enum : int32_t {
    kRaOk = 0,
    kRaErrInvalidHandle = 1,
    kRaErrInvalidArgument = 2,
    kRaErrNoClientId = 3,
    kRaErrFileNotFound = 4,
    kRaErrInvalidClip = 5,
    kRaErrNoClip = 6,
    kRaErrNoOutput = 7,
    kRaErrDecode = 8,
    kRaErrSeek = 9,
    kRaErrNoMemory = 10,
    kRaResultAlready = 57,  // the clip already is in the asked state: counts as success
};

// Clip attributes.
enum : int32_t { kRaAttrTitle = 1, kRaAttrAuthor = 2, kRaAttrCopyright = 3 };

int32_t RaSetup(void* const* instance, RaHandle* handle, int32_t reserved);
// Notifications go to window as message, flags -1 for all of them.
int32_t RaRegisterNotifyWnd(RaHandle handle, RaMailbox* window, uint32_t message, int32_t flags);
int32_t RaSetClientLocale(RaHandle handle, int32_t locale);
// "<class>/<version> (<language>; <distributor>)" into out, at most size bytes with the NUL.
int32_t RaFormClientIdString(char* out, int32_t size, const char* clientClass, const char* version,
                             const char* language, const char* distributor);
int32_t RaSetClientId(RaHandle handle, const char* id);
int32_t RaOpen(RaHandle handle, int32_t reserved, const char* path, int32_t flags, int32_t reserved2);
// Starts playing from the current position, or resumes after RaPause.
int32_t RaBegin(RaHandle handle);
int32_t RaPause(RaHandle handle);
// Stops playing and lets the sound output go; the clip and its position stay.
int32_t RaClose(RaHandle handle);
// Moves the position; a playing clip plays on from there.
int32_t RaSeek(RaHandle handle, int32_t ms);
// Position and duration in ms; the duration is 0 while it is not known.
int32_t RaGetStatus(RaHandle handle, int32_t* position, int32_t* duration);
int32_t RaSetVolume(RaHandle handle, int32_t volume);
// The volume (0..100) in the low 16 bits of value.
int32_t RaGetVolume(RaHandle handle, uint32_t* value);
// 1 when the volume can be set up to max (the engine scales its own samples), else 0.
int32_t RaVolumeSupport(RaHandle handle, int32_t max);
int32_t RaGetClipAttribute(RaHandle handle, int32_t attribute, char* out, int32_t size);
int32_t RaGetErrorText(int32_t error, char* out, int32_t size);
int32_t RaShutdown(RaHandle handle);

inline bool RaSucceeded(int32_t result) { return result < 1 || result == kRaResultAlready; }

}  // namespace rastream
