#pragma once
// Reads a playlist file line by line from an open descriptor. A line ends at a line feed, with or
// without a carriage return before it; a last line without one still counts. Lines that cannot
// name a file (longer than a path may be, or holding a NUL byte) are returned as unusable without
// being kept in memory, so binary garbage or a file without line ends costs no more than its size.
#include <cstddef>
#include <string>

namespace zanto::playlist {

class PlaylistLineReader {
public:
    // Longest line kept; a path cannot be longer on Linux.
    static constexpr size_t kMaxLine = 4095;

    explicit PlaylistLineReader(int fd) : fd_(fd) {}

    struct Line {
        std::string text;     // without the line end; empty when unusable
        bool usable = true;   // false for an over-long line or one with a NUL byte
    };

    // The next line; false at the end of the file or after a read error (see Error()).
    bool Next(Line& line);
    // errno of the failed read, 0 when none failed.
    int Error() const { return error_; }

private:
    bool Fill();

    int fd_;
    int error_ = 0;
    bool eof_ = false;
    char buffer_[65536];
    size_t begin_ = 0;
    size_t end_ = 0;
};

}  // namespace zanto::playlist
