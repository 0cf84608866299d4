#include "common/cd/DriveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/Paths.h"

namespace zanto::cd {

DriveLock::DriveLock(Clock& clock, std::string path) : clock_(clock), path_(std::move(path)) {}

DriveLock::~DriveLock() { Release(); }

std::string DriveLock::DefaultPath() {
    const std::string folder = RuntimeFolder();
    MakeFolders(folder);
    return folder + "/MxAudio";
}

bool DriveLock::Acquire(int32_t waitMs, const std::function<bool()>& giveUp) {
    if (fd_ >= 0) return true;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const Clock::Duration start = clock_.Now();
    const Clock::Duration limit = std::chrono::milliseconds(waitMs);
    const Clock::Duration step =
        std::chrono::milliseconds(waitMs < 0 ? kUnlimitedStepMs : 1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (giveUp && giveUp()) break;
        Clock::Duration wait = step;
        if (waitMs >= 0) {
            const Clock::Duration waited = clock_.Now() - start;
            if (waited >= limit) break;
            wait = std::min(step, limit - waited);
        }
        clock_.Sleep(wait);
    }
    ::close(fd);
    return false;
}

void DriveLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace zanto::cd
