#pragma once
// One HTTP GET as the transfer engine makes it: user agent "Simple Download", the old browser
// accept types, never an answer from a cache, Basic authorization from credentials in the
// address, the "proxy" setting, status 200 only. The body is handed on in pieces of at most
// 5120 bytes. Cancellation is checked between waits of at most 50 ms; a server that sends nothing
// for the stall limit (measured on the injected clock) ends the request as failed.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Clock.h"

namespace zanto {

inline constexpr size_t kHttpPieceBytes = 5120;
inline constexpr const char* kHttpUserAgent = "Simple Download";
inline constexpr const char* kHttpAcceptTypes =
    "image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, */*";

class HttpSink {
public:
    virtual ~HttpSink() = default;
    // Status 200 arrived; the Content-Length, or -1 when the answer has none.
    virtual void OnResponse(int64_t contentLength) = 0;
    // A piece of the body; false stops the request (it then ends as cancelled).
    virtual bool OnData(const uint8_t* data, size_t size) = 0;
};

enum class HttpOutcome {
    Ok,         // status 200 and the whole body handed on
    Status,     // another status: nothing handed on
    Failed,     // bad address, no connection, broken or stalled answer
    Cancelled,  // the cancel check answered true, or the sink stopped it
};

struct HttpResult {
    HttpOutcome outcome = HttpOutcome::Failed;
    long status = 0;
    std::string error;  // why it failed, for logs
};

struct HttpGetOptions {
    std::string proxy;  // the "proxy" setting: "server:port", used only when it holds a ":"
    Clock* clock = &Clock::System();
    Clock::Duration stallLimit = std::chrono::seconds(30);
    std::function<bool()> cancelled;  // may be empty
};

// source: the address as the user gave it ("http://", "https://" or none).
HttpResult HttpGet(const std::string& source, HttpSink& sink, const HttpGetOptions& options);

}  // namespace zanto
