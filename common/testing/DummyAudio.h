#pragma once
// Tests that include this run on the audio library's dummy driver unless a test chooses another:
// no test needs a sound card, whatever the environment that started it says.
#include <cstdlib>

namespace zanto::testkit {

inline const bool kDummyAudioDriver = [] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return true;
}();

}  // namespace zanto::testkit
