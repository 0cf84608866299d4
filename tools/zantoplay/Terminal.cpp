#include "tools/zantoplay/Terminal.h"

#include <unistd.h>

namespace zantoplay {

Terminal::Terminal() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    raw_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

Terminal::~Terminal() {
    if (raw_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

std::string Terminal::ReadKeys() {
    std::string keys;
    if (!raw_) return keys;
    char buffer[64];
    ssize_t n;
    while ((n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0) keys.append(buffer, size_t(n));
    return keys;
}

}  // namespace zantoplay
