#pragma once
// The plug-in's fixed texts.
namespace cdtrack {

inline constexpr const char* kTextNoSoundcard = "There is no soundcard present/installed.";
inline constexpr const char* kTypeText = "CD";
inline constexpr const char* kFilterText = "CD Audio (*.cda)|*.cda|";
inline constexpr const char* kNameText = "Audio CD Player";

}  // namespace cdtrack
