#pragma once
// Questions about the sound output that the plug-ins ask before they accept a file.
namespace zanto::audio {

// True when the audio subsystem starts and offers at least one output device.
bool HasOutputDevice();

// Opens the default output device for 11025 Hz, one channel, 8 bits and closes it again at once;
// true when it could be opened (the device is there and free).
bool TestOpenDefaultDevice();

// Starts and stops the audio subsystem; counted, so every Acquire needs one Release.
bool AcquireSubsystem();
void ReleaseSubsystem();

}  // namespace zanto::audio
