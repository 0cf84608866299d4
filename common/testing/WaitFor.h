#pragma once
// Waits for a condition that another thread (a decoder, a sound device) brings about. The limit
// only turns a hang into a failure; no test relies on how fast the condition comes.
#include <chrono>

#include "common/Clock.h"

namespace zanto::testkit {

template <class Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(30),
             Clock& clock = Clock::System()) {
    const auto end = clock.Now() + limit;
    while (!done()) {
        if (clock.Now() > end) return false;
        clock.Sleep(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zanto::testkit
