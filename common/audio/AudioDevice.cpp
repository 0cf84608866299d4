#include "common/audio/AudioDevice.h"

#include <SDL.h>
#include <dlfcn.h>

#include <mutex>

namespace zanto::audio {

namespace {
// The audio subsystem is process-wide and its start and stop are not thread-safe.
std::mutex& SubsystemMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

bool AcquireSubsystem() {
    std::lock_guard lock(SubsystemMutex());
    // The audio library keeps process-wide state (error texts, hints, thread-local data) after
    // its subsystems stop; a plug-in that is unloaded must not take the library with it.
    static void* pinned = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    (void)pinned;
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void ReleaseSubsystem() {
    std::lock_guard lock(SubsystemMutex());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool HasOutputDevice() {
    if (!AcquireSubsystem()) return false;
    int count;
    {
        std::lock_guard lock(SubsystemMutex());
        count = SDL_GetNumAudioDevices(0);
    }
    ReleaseSubsystem();
    // A negative count means the driver cannot list its devices; it still has a default one.
    return count != 0;
}

bool TestOpenDefaultDevice() {
    if (!AcquireSubsystem()) return false;
    SDL_AudioSpec want{};
    want.freq = 11025;
    want.format = AUDIO_U8;
    want.channels = 1;
    want.samples = 512;
    SDL_AudioDeviceID device;
    {
        std::lock_guard lock(SubsystemMutex());
        device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (device != 0) SDL_CloseAudioDevice(device);
    }
    ReleaseSubsystem();
    return device != 0;
}

}  // namespace zanto::audio
