#pragma once
// Playlist files: writing the play queue as a ".pst" playlist or an M3U list, reading either back
// into the queue, and adding a file, a folder's files or a playlist file at a list position. The
// editor window drives these; questions and file errors go through PlaylistMessages.
#include <string>

#include "zantodesk/player/PlayQueue.h"
#include "zantodesk/playlist/PlaylistMessages.h"

namespace zanto::playlist {

class PlaylistFiles {
public:
    PlaylistFiles(player::PlayQueue& queue, PlaylistMessages& messages)
        : queue_(queue), messages_(messages) {}

    // Writes the queue in list order: the playlist format for a name ending in ".pst" (ignoring
    // case), else M3U with only the MPEG audio entries after asking string 133 (Cancel writes
    // nothing). A file that cannot be created is passed over silently; a write error is reported
    // once and keeps the whole lines written before it.
    void Save(const std::string& path);

    // Makes path the current playlist file and inserts each line that names an existing file or
    // folder at position (-1: the end), advancing it. Returns the advanced position.
    int LoadPlaylistFile(const std::string& path, int position);

    // Adds a file, the plain files of a folder (one level, without hidden and system entries, by
    // name) or the entries of a ".pst"/".m3u" file at position (-1: the end). Returns the
    // position after the last entry added.
    int AddPath(const std::string& path, int position);

    // The editor's current playlist file: set by loading, used by Save, emptied by New and Save As.
    const std::string& CurrentFile() const { return currentFile_; }
    void SetCurrentFile(const std::string& path) { currentFile_ = path; }

private:
    int Load(const std::string& path, int position);
    int Add(const std::string& path, int position);
    // Inserts one entry; false (reported once per operation) when the queue is full.
    bool InsertEntry(const std::string& path, int& position);
    int ClampPosition(int position) const;
    void ReportFileError(const char* doing, const std::string& path, int error);

    player::PlayQueue& queue_;
    PlaylistMessages& messages_;
    std::string currentFile_;
    bool fullReported_ = false;
};

}  // namespace zanto::playlist
