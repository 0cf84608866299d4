#pragma once
// The notifications of the RealAudio engine: records posted by the engine's thread and taken by
// the plug-in on the host's thread, as a window's posted messages were.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/Mailbox.h"

namespace rastream {

// The message number the plug-in registers for its notifications.
inline constexpr uint32_t kNotifyMessage = 40029;

// Notification types and status sub-codes.
enum : int32_t {
    kNotifyStatus = 4,
    kNotifyError = 32,
    kStatusContacting = 7,
    kStatusBuffering = 8,
    kStatusPlaying = 9,
    kStatusClipEnded = 10,
};

// The record a notification points to: type, sub-code, length, then the data from byte 16 on
// (a text, or for errors a byte with the error number).
struct NotifyRecord {
    int32_t type = 0;
    int32_t subCode = 0;
    int32_t length = 0;
    int32_t reserved = 0;
    char data[256] = {};

    static NotifyRecord Status(int32_t subCode, const std::string& text) {
        NotifyRecord r;
        r.type = kNotifyStatus;
        r.subCode = subCode;
        size_t n = std::min(text.size(), sizeof r.data - 1);
        std::memcpy(r.data, text.data(), n);
        r.length = static_cast<int32_t>(n);
        return r;
    }
    static NotifyRecord Error(uint8_t error) {
        NotifyRecord r;
        r.type = kNotifyError;
        r.length = 1;
        r.data[0] = static_cast<char>(error);
        return r;
    }
    std::string Text() const { return std::string(data, strnlen(data, sizeof data)); }
};
static_assert(offsetof(NotifyRecord, data) == 16);

struct Notification {
    uint32_t message = 0;
    NotifyRecord record;
};

using RaMailbox = zanto::Mailbox<Notification>;

}  // namespace rastream
