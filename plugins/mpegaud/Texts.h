#pragma once
// The plug-in's error texts, by number.
namespace mpegaud {

inline constexpr const char* kTextNoDevice = "There is no audio device present or installed.\n";
inline constexpr const char* kTextDeviceBusy =
    "The wave-out audio playback device is already allocated.\n"
    "Close all audio applications and try again.";
inline constexpr const char* kTextNoMemory = "Not enough memory";
inline constexpr const char* kTextCannotOpenInput = "The decoder can not open an input.";

}  // namespace mpegaud
