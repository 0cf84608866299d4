#pragma once
// Plays a list of files in order through a plug-in host, driven by keys, with a status line.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "zantodesk/player/PluginHost.h"

namespace zantoplay {

struct SessionIo {
    std::function<std::string()> readKeys;  // the bytes typed since the last call
    std::ostream* out;                      // the status line
    std::ostream* err;                      // files that cannot be played
    bool statusInPlace = false;             // rewrite one line (a terminal) or print a line a change
};

class Session {
public:
    Session(zanto::PluginHost& host, zanto::Clock& clock, SessionIo io, int32_t volume);
    // Plays every file once, in order; 0 when all of them played, 1 when some could not.
    int Run(const std::vector<std::string>& files);
    int32_t Volume() const { return volume_; }

private:
    // Plays the open file until it ends or a key moves on; the step to the next file (0: quit).
    int PlayOpenFile(const std::string& path);
    void ShowStatus(const std::string& path, int32_t state, int32_t pos, int32_t duration);

    zanto::PluginHost& host_;
    zanto::Clock& clock_;
    SessionIo io_;
    int32_t volume_;
    int failures_ = 0;
    std::string lastStatus_;
};

}  // namespace zantoplay
