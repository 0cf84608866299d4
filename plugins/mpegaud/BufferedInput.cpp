#include "plugins/mpegaud/BufferedInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mpegaud {

BufferedInput::~BufferedInput() { Close(); }

bool BufferedInput::Open(const std::string& path) {
    Close();
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    bufferStart_ = 0;
    filled_ = cursor_ = 0;
    return fd_ >= 0;
}

void BufferedInput::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ssize_t BufferedInput::Read(void* out, size_t n) {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    auto* dest = static_cast<char*>(out);
    size_t done = 0;
    while (done < n) {
        if (cursor_ == filled_) {
            bufferStart_ += static_cast<off_t>(filled_);
            filled_ = cursor_ = 0;
            ssize_t got;
            do {
                got = ::pread(fd_, buffer_.data(), buffer_.size(), bufferStart_);
            } while (got < 0 && errno == EINTR);
            if (got < 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
            if (got == 0) break;
            filled_ = static_cast<size_t>(got);
        }
        size_t take = std::min(n - done, filled_ - cursor_);
        std::memcpy(dest + done, buffer_.data() + cursor_, take);
        cursor_ += take;
        done += take;
    }
    return static_cast<ssize_t>(done);
}

off_t BufferedInput::Seek(off_t offset, int whence) {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    off_t current = bufferStart_ + static_cast<off_t>(cursor_);
    off_t target;
    switch (whence) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = current + offset; break;
    case SEEK_END: {
        struct stat st {};
        if (fstat(fd_, &st) != 0) return -1;
        target = st.st_size + offset;
        break;
    }
    default: errno = EINVAL; return -1;
    }
    if (target < 0) {
        errno = EINVAL;
        return -1;
    }
    if (target >= bufferStart_ && target <= bufferStart_ + static_cast<off_t>(filled_)) {
        cursor_ = static_cast<size_t>(target - bufferStart_);
    } else {
        bufferStart_ = target;
        filled_ = cursor_ = 0;
    }
    return target;
}

ssize_t BufferedInput::ReadHook(void* self, void* out, size_t n) {
    return static_cast<BufferedInput*>(self)->Read(out, n);
}

off_t BufferedInput::SeekHook(void* self, off_t offset, int whence) {
    return static_cast<BufferedInput*>(self)->Seek(offset, whence);
}

}  // namespace mpegaud
