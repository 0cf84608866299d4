#pragma once
// The decoding engine as the plug-in sees it: commands go in, notifications come back through a
// mailbox. The numbers are those of the engine's command and notification tables.
#include <cstdint>
#include <string>

#include "common/Mailbox.h"

namespace mpegaud {

// Commands.
enum : int32_t {
    kCommandPlay = 1,
    kCommandPause = 2,
    kCommandStop = 3,
    kCommandSeek = 4,          // position ms, duration ms
    kCommandExit = 5,          // the decoder thread ends and answers kNotifyExited
    kCommandOpenInput = 8,     // path; answer 0 on success
    kCommandOutputVolume = 14, // 50, volume 0..100, 3
};

// Notifications.
enum : uint32_t {
    kNotifyExited = 0x9015,
    kNotifyState = 0x9016,     // word 1: engine state
    kNotifyDuration = 0x9019,  // word 1: seconds
    kNotifyTimecode = 0x901B,  // words 1..3: hours, minutes, seconds
    kNotifyVolume = 0x901E,    // word 2: level (volume - 1)
};

// Engine states carried by kNotifyState.
enum : int32_t {
    kEngineStopped = 0,
    kEnginePlaying = 1,
    kEnginePaused = 2,
    kEngineEndOfInput = 3,
    kEngineFailed = -505,
};

// A notification as a four-word record; the words after the first carry the values.
struct Notification {
    uint32_t message = 0;
    int32_t word[4] = {0, 0, 0, 0};
};

// From the decoder thread to the thread that calls the exports.
using Mailbox = zanto::Mailbox<Notification>;

class Engine {
public:
    virtual ~Engine() = default;
    // Sends a command; the answer of commands other than kCommandOpenInput means nothing.
    virtual int32_t Send(int32_t command, int32_t a = 0, int32_t b = 0, int32_t c = 0) = 0;
    // kCommandOpenInput: waits for the engine's answer, 0 when the input is open.
    virtual int32_t SendOpenInput(const std::string& path) = 0;
    virtual Mailbox& Notifications() = 0;
    // Releases the decoder thread after it has answered kCommandExit.
    virtual void Free() = 0;
};

}  // namespace mpegaud
