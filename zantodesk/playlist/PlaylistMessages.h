#pragma once
// How the playlist files code asks its question and reports file errors without owning a window:
// the editor passes the skinned message box behind this interface, tests pass a recorder, and a
// window driven by another program passes one that answers automatically.
#include <string>

namespace zanto::playlist {

// Message-box types and answers, with the system's numbers the skinned message box takes.
inline constexpr unsigned kBoxOk = 0x0;
inline constexpr unsigned kBoxOkCancel = 0x1;
inline constexpr unsigned kBoxDefaultButton2 = 0x100;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

class PlaylistMessages {
public:
    virtual ~PlaylistMessages() = default;
    // Shows the text as a box of the given type; returns the answer (kAnswerOk, ...).
    virtual int Show(const std::string& text, unsigned type) = 0;
};

// String 133: asked before a list is saved in M3U format.
inline constexpr const char* kM3uQuestion = "If you save as M3U format, you can play only MP3 files.";

}  // namespace zanto::playlist
