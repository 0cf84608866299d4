#include "zantodesk/playlist/PlaylistLineReader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zanto::playlist {

bool PlaylistLineReader::Fill() {
    if (eof_ || error_) return false;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = errno ? errno : EIO;
            return false;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        begin_ = 0;
        end_ = size_t(n);
        return true;
    }
}

bool PlaylistLineReader::Next(Line& line) {
    line.text.clear();
    line.usable = true;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            if (error_) return false;
            break;  // a last line without a line end still counts
        }
        any = true;
        const char* start = buffer_ + begin_;
        const size_t avail = end_ - begin_;
        const void* feed = std::memchr(start, '\n', avail);
        const size_t take = feed ? size_t(static_cast<const char*>(feed) - start) : avail;
        if (line.usable) {
            if (std::memchr(start, '\0', take) || line.text.size() + take > kMaxLine + 1) {
                line.usable = false;
                line.text.clear();
            } else {
                line.text.append(start, take);
            }
        }
        begin_ += take;
        if (feed) {
            ++begin_;
            break;
        }
    }
    if (!any) return false;
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    if (line.text.size() > kMaxLine) {
        line.usable = false;
        line.text.clear();
    }
    return true;
}

}  // namespace zanto::playlist
