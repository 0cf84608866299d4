#pragma once
// The decoder's input file read through a large buffer: the decoder asks for a few bytes at a
// time (a header, then a frame), which would otherwise cost a system call each.
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace mpegaud {

class BufferedInput {
public:
    explicit BufferedInput(size_t bufferSize = 64 * 1024) : buffer_(bufferSize) {}
    ~BufferedInput();
    BufferedInput(const BufferedInput&) = delete;
    BufferedInput& operator=(const BufferedInput&) = delete;

    bool Open(const std::string& path);
    void Close();
    // As POSIX read and lseek; -1 with errno set on failure.
    ssize_t Read(void* out, size_t n);
    off_t Seek(off_t offset, int whence);

    // Adapters for the decoder library's reader hooks.
    static ssize_t ReadHook(void* self, void* out, size_t n);
    static off_t SeekHook(void* self, off_t offset, int whence);

private:
    int fd_ = -1;
    std::vector<char> buffer_;
    off_t bufferStart_ = 0;  // file offset of buffer_[0]
    size_t filled_ = 0;      // valid bytes in buffer_
    size_t cursor_ = 0;      // next byte to hand out
};

}  // namespace mpegaud
