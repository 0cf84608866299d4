#pragma once
// The plug-in's fixed texts.
namespace cdtrack {

inline constexpr const char* kTextNoSoundcard = "There is no soundcard present/installed.";
inline constexpr const char* kTypeText = "CD";
inline constexpr const char* kFilterText = "CD Audio (*.cda)|*.cda|";
inline constexpr const char* kNameText = "Audio CD Player";

// Writes text with its NUL when both fit in size bytes; 1, else 0 and nothing is written.
int WriteText(void* buffer, int size, const char* text);

}  // namespace cdtrack
