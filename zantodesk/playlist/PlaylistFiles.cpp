#include "zantodesk/playlist/PlaylistFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "zantodesk/playlist/PlaylistLineReader.h"
#include "zantodesk/playlist/PlaylistNames.h"

namespace zanto::playlist {

namespace {

constexpr std::string_view kHeader = "[Playlist]";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Opens a file for reading or writing only when it is a regular file: a FIFO or a device would
// block on open or never end. -1 when it cannot be opened (or is not a regular file).
int OpenRegular(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Writes all of text; errno of the failure, 0 on success.
int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 && errno ? errno : EIO;
        text.remove_prefix(size_t(n));
    }
    return 0;
}

// Only regular files are probed: opening a FIFO named in the list would wait for a writer.
bool IsMpegAudioFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           mpeg::IsValidHeader(ProbeMpegFile(path));
}

std::string CurrentFolder() {
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace

void PlaylistFiles::ReportFileError(const char* doing, const std::string& path, int error) {
    messages_.Show("An error occurred while " + std::string(doing) + " \"" + path + "\": " +
                       std::strerror(error) + ".",
                   kBoxOk);
}

int PlaylistFiles::ClampPosition(int position) const {
    return position < 0 || position > queue_.Count() ? queue_.Count() : position;
}

bool PlaylistFiles::InsertEntry(const std::string& path, int& position) {
    position = ClampPosition(position);
    if (queue_.Insert(position, path) < 0) {
        if (!fullReported_)
            messages_.Show("The playlist is full: it holds at most " +
                               std::to_string(player::PlayQueue::kMaxEntries) + " files.",
                           kBoxOk);
        fullReported_ = true;
        return false;
    }
    ++position;
    return true;
}

void PlaylistFiles::Save(const std::string& path) {
    const bool pst = IsPstName(path);
    if (!pst && messages_.Show(kM3uQuestion, kBoxOkCancel | kBoxDefaultButton2) != kAnswerOk)
        return;
    const int fd = OpenRegular(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) return;
    off_t written = 0;  // end of the last whole line on disk
    bool first = true;
    for (const auto& entry : queue_.Entries()) {
        // A line feed inside a name cannot be told from a line end; such a name is left out
        // rather than written as two lines naming other files.
        if (entry.path.find('\n') != std::string::npos) continue;
        if (!pst && !IsMpegAudioFile(entry.path)) continue;
        std::string text;
        if (pst && first) text.append(kHeader).append("\r\n");
        first = false;
        text.append(entry.path).append("\r\n");
        if (const int error = WriteAll(fd, text)) {
            // Keep the lines written so far, without a torn one at the end.
            [[maybe_unused]] const int kept = ::ftruncate(fd, written);
            ReportFileError("writing", path, error);
            break;
        }
        written += off_t(text.size());
    }
    ::close(fd);  // a close error changes nothing for the user
}

int PlaylistFiles::LoadPlaylistFile(const std::string& path, int position) {
    fullReported_ = false;
    return Load(path, position);
}

int PlaylistFiles::Load(const std::string& path, int position) {
    currentFile_ = path;
    position = ClampPosition(position);
    const int fd = OpenRegular(path, O_RDONLY);
    if (fd < 0) return position;
    const std::string folder = CurrentFolder();
    PlaylistLineReader reader(fd);
    PlaylistLineReader::Line line;
    bool firstLine = true;
    while (reader.Next(line)) {
        if (firstLine && line.text.starts_with(kUtf8Mark)) line.text.erase(0, kUtf8Mark.size());
        firstLine = false;
        if (!line.usable || line.text.empty() || line.text == kHeader) continue;
        // The name is used unchanged; a relative one is taken against the current folder and
        // kept as a full path, so the entry stays valid when the folder changes later.
        const std::string name = line.text.front() == '/' || folder.empty() ? line.text : Join(folder, line.text);
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0) continue;
        if (!InsertEntry(name, position)) break;
    }
    if (reader.Error()) ReportFileError("reading", path, reader.Error());
    ::close(fd);
    return position;
}

int PlaylistFiles::AddPath(const std::string& path, int position) {
    fullReported_ = false;
    return Add(path, position);
}

int PlaylistFiles::Add(const std::string& path, int position) {
    position = ClampPosition(position);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return position;
    if (S_ISDIR(st.st_mode)) {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                if (e->d_name[0] == '.') continue;  // hidden, and "." and ".."
                names.emplace_back(e->d_name);
            }
            ::closedir(dir);
        }
        // Listing order differs between file systems; by name is what a user expects.
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            const std::string full = Join(path, name);
            struct stat entry {};
            // Sub-folders are not entered; anything but a regular file is a system entry.
            if (::stat(full.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode)) continue;
            position = Add(full, position);
        }
        return position;
    }
    // Devices, FIFOs and sockets are system entries here as well: playing one could block.
    if (!S_ISREG(st.st_mode)) return position;
    if (IsPlaylistName(path)) return Load(path, position);
    InsertEntry(path, position);
    return position;
}

}  // namespace zanto::playlist
