#pragma once
// A small HTTP/1.1 server for tests, on 127.0.0.1 only. It answers one connection at a time with
// what the test's handler says, and can stall or drop an answer part-way. It records every
// request as the server saw it. Every wait is bounded: it stops by itself after its lifetime
// even if a test forgets it, and its destructor stops it at once.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zanto::testkit {

struct HttpRequestSeen {
    std::string method;
    std::string target;  // as in the request line: "/x" or, through a proxy, "http://host/x"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string Header(const std::string& name) const;  // case ignored; empty when absent
    bool HasHeader(const std::string& name) const;
};

struct HttpAnswer {
    enum class Ending { Complete, StallAfter, DropAfter };
    int status = 200;
    std::string reason = "OK";
    std::string body;
    bool contentLength = true;  // without it the end of the body is the end of the connection
    std::vector<std::pair<std::string, std::string>> headers;
    Ending ending = Ending::Complete;
    size_t after = 0;  // body bytes sent before stalling or dropping

    static HttpAnswer Body(std::string body) {
        HttpAnswer a;
        a.body = std::move(body);
        return a;
    }
    HttpAnswer& Status(int code, std::string text) {
        status = code;
        reason = std::move(text);
        return *this;
    }
    HttpAnswer& NoLength() {
        contentLength = false;
        return *this;
    }
    HttpAnswer& Stall(size_t bytes) {
        ending = Ending::StallAfter;
        after = bytes;
        return *this;
    }
    HttpAnswer& Drop(size_t bytes) {
        ending = Ending::DropAfter;
        after = bytes;
        return *this;
    }
    HttpAnswer& Header(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
};

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpAnswer(const HttpRequestSeen&)>;
    explicit LoopbackHttpServer(Handler handler,
                                std::chrono::seconds lifetime = std::chrono::seconds(120));
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Running() const { return listenFd_ >= 0; }
    uint16_t Port() const { return port_; }
    // "127.0.0.1:port"
    std::string HostPort() const;
    std::vector<HttpRequestSeen> Requests() const;
    // Waits until n requests arrived (bounded by the server's lifetime); true when they did.
    bool WaitForRequests(size_t n) const;
    // Ends a stalled answer (the connection is closed) without stopping the server.
    void ReleaseStall();
    void Stop();

private:
    void Serve();
    void Answer(int fd);
    bool WaitReadable(int fd, int milliseconds) const;
    bool SendAll(int fd, const char* data, size_t size) const;
    bool Stopping() const;

    Handler handler_;
    std::chrono::steady_clock::time_point deadline_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    uint16_t port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<HttpRequestSeen> requests_;
    bool stop_ = false;
    bool releaseStall_ = false;
    std::thread thread_;
};

}  // namespace zanto::testkit
