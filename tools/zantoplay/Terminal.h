#pragma once
// The terminal in key-at-a-time mode for as long as the object lives (when stdin is a terminal).
#include <termios.h>

#include <string>

namespace zantoplay {

class Terminal {
public:
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool Interactive() const { return raw_; }
    // The bytes typed since the last call; never waits.
    std::string ReadKeys();

private:
    bool raw_ = false;
    termios saved_{};
};

}  // namespace zantoplay
