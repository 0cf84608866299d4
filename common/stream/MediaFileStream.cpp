#include "common/stream/MediaFileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zanto {

FileError::FileError(int error, const std::string& what)
    : std::runtime_error(what.empty() ? std::strerror(error) : what + ": " + std::strerror(error)),
      error_(error) {}

}  // namespace zanto

using zanto::FileError;

CMediaFileStream::~CMediaFileStream() { Abort(); }

int CMediaFileStream::Fd() const {
    if (fd_ < 0) throw FileError(EBADF, m_path);
    return fd_;
}

int32_t CMediaFileStream::Open(const char* path) {
    Abort();
    CMediaStream::Open(path);
    int fd;
    do {
        fd = ::open(m_path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        openError_ = errno;
        return 0;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        openError_ = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return 0;
    }
    // Readers share the file; a program that holds it exclusively for writing keeps us out.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        openError_ = EACCES;
        ::close(fd);
        return 0;
    }
    fd_ = fd;
    openError_ = 0;
    return 1;
}

uint32_t CMediaFileStream::SeekToEnd() { return static_cast<uint32_t>(Seek(0, 2)); }

void CMediaFileStream::SeekToBegin() { Seek(0, 0); }

uint32_t CMediaFileStream::GetPosition() {
    off_t pos = lseek(Fd(), 0, SEEK_CUR);
    if (pos < 0) throw FileError(errno, m_path);
    return static_cast<uint32_t>(std::min<off_t>(pos, 0xFFFFFFFF));
}

int32_t CMediaFileStream::Seek(int32_t offset, int32_t origin) {
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
    if (whence < 0) throw FileError(EINVAL, m_path);
    off_t pos = lseek(Fd(), offset, whence);
    if (pos < 0) throw FileError(errno, m_path);
    if (pos > 0x7FFFFFFF) throw FileError(EOVERFLOW, m_path);
    return static_cast<int32_t>(pos);
}

uint32_t CMediaFileStream::GetLength() {
    struct stat st {};
    if (fstat(Fd(), &st) != 0) throw FileError(errno, m_path);
    return static_cast<uint32_t>(std::min<off_t>(st.st_size, 0xFFFFFFFF));
}

uint32_t CMediaFileStream::Read(void* buffer, uint32_t count) {
    int fd = Fd();
    if (count > 0 && !buffer) throw FileError(EFAULT, m_path);
    auto* out = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        ssize_t got = ::read(fd, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, m_path);
        }
        if (got == 0) break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}

void CMediaFileStream::Abort() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void CMediaFileStream::Flush() { Fd(); }

void CMediaFileStream::Close() {
    int fd = Fd();
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) throw FileError(errno, m_path);
}
