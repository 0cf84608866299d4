#pragma once
// A small HTTP/1.1 server for tests, on 127.0.0.1 only (header only, so every test program can
// use it). It answers one connection at a time with what the test's handler says, and can stall
// or drop an answer part-way. It records every request as the server saw it. Every wait is bounded: it stops by itself after its lifetime
// even if a test forgets it, and its destructor stops it at once.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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



namespace loopback_detail {

constexpr int kSlice = 20;  // ms between checks of the stop flag

inline std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

}  // namespace loopback_detail

inline std::string HttpRequestSeen::Header(const std::string& name) const {
    for (const auto& [k, v] : headers)
        if (strcasecmp(k.c_str(), name.c_str()) == 0) return v;
    return {};
}

inline bool HttpRequestSeen::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (strcasecmp(h.first.c_str(), name.c_str()) == 0) return true;
    return false;
}

inline LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::chrono::seconds lifetime)
    : handler_(std::move(handler)), deadline_(std::chrono::steady_clock::now() + lifetime) {
    if (pipe2(wakeFds_, O_CLOEXEC) != 0) return;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return;
    }
    port_ = ntohs(addr.sin_port);
    listenFd_ = fd;
    thread_ = std::thread([this] { Serve(); });
}

inline LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
    if (listenFd_ >= 0) close(listenFd_);
    for (int fd : wakeFds_)
        if (fd >= 0) close(fd);
}

inline std::string LoopbackHttpServer::HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

inline std::vector<HttpRequestSeen> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

inline bool LoopbackHttpServer::WaitForRequests(size_t n) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, deadline_, [&] { return requests_.size() >= n || stop_; }) &&
           requests_.size() >= n;
}

inline void LoopbackHttpServer::ReleaseStall() {
    std::lock_guard lock(mutex_);
    releaseStall_ = true;
}

inline void LoopbackHttpServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (wakeFds_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] ssize_t r = write(wakeFds_[1], &c, 1);
    }
    if (thread_.joinable()) thread_.join();
}

inline bool LoopbackHttpServer::Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_ || std::chrono::steady_clock::now() >= deadline_;
}

inline bool LoopbackHttpServer::WaitReadable(int fd, int milliseconds) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    for (int waited = 0; waited < milliseconds; waited += loopback_detail::kSlice) {
        if (Stopping()) return false;
        int n = poll(fds, 2, loopback_detail::kSlice);
        if (n < 0 && errno != EINTR) return false;
        if (fds[1].revents) return false;
        if (fds[0].revents) return true;
    }
    return false;
}

inline bool LoopbackHttpServer::SendAll(int fd, const char* data, size_t size) const {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

inline void LoopbackHttpServer::Serve() {
    while (!Stopping()) {
        if (!WaitReadable(listenFd_, 1000)) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Answer(fd);
        close(fd);
    }
    std::lock_guard lock(mutex_);
    stop_ = true;
    changed_.notify_all();
}

inline void LoopbackHttpServer::Answer(int fd) {
    std::string in;
    char buf[4096];
    while (in.find("\r\n\r\n") == std::string::npos) {
        if (in.size() > 65536 || !WaitReadable(fd, 5000)) return;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return;
        in.append(buf, size_t(n));
    }
    HttpRequestSeen req;
    size_t end = in.find("\r\n");
    std::string line = in.substr(0, end);
    size_t sp1 = line.find(' ');
    size_t sp2 = line.rfind(' ');
    if (sp1 == std::string::npos || sp2 <= sp1) return;
    req.method = line.substr(0, sp1);
    req.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    size_t at = end + 2;
    while (true) {
        size_t e = in.find("\r\n", at);
        if (e == std::string::npos || e == at) break;
        std::string h = in.substr(at, e - at);
        if (size_t colon = h.find(':'); colon != std::string::npos)
            req.headers.emplace_back(loopback_detail::Trim(h.substr(0, colon)),
                                     loopback_detail::Trim(h.substr(colon + 1)));
        at = e + 2;
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(req);
        releaseStall_ = false;
    }
    changed_.notify_all();

    HttpAnswer a = handler_(req);
    std::string head = "HTTP/1.1 " + std::to_string(a.status) + " " + a.reason + "\r\n";
    if (a.contentLength) head += "Content-Length: " + std::to_string(a.body.size()) + "\r\n";
    for (const auto& [k, v] : a.headers) head += k + ": " + v + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!SendAll(fd, head.data(), head.size())) return;
    size_t bodyBytes = a.ending == HttpAnswer::Ending::Complete
                           ? a.body.size()
                           : (a.after < a.body.size() ? a.after : a.body.size());
    if (!SendAll(fd, a.body.data(), bodyBytes)) return;
    if (a.ending == HttpAnswer::Ending::StallAfter) {
        // Holds the connection open, sending nothing, until released or stopped.
        while (!Stopping()) {
            {
                std::lock_guard lock(mutex_);
                if (releaseStall_) break;
            }
            pollfd p[2] = {{wakeFds_[0], POLLIN, 0}, {fd, POLLIN, 0}};
            poll(p, 2, loopback_detail::kSlice);
            if (p[0].revents) break;
            if (p[1].revents) {  // the client went away (or sent more, which is not expected)
                char c;
                if (recv(fd, &c, 1, MSG_DONTWAIT) <= 0) break;
            }
        }
    }
    shutdown(fd, SHUT_RDWR);
}

}  // namespace zanto::testkit
