#include "memview/link/tests/transfer/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zanto::testkit {

namespace {

constexpr int kSlice = 20;  // ms between checks of the stop flag

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

}  // namespace

std::string HttpRequestSeen::Header(const std::string& name) const {
    for (const auto& [k, v] : headers)
        if (strcasecmp(k.c_str(), name.c_str()) == 0) return v;
    return {};
}

bool HttpRequestSeen::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (strcasecmp(h.first.c_str(), name.c_str()) == 0) return true;
    return false;
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::chrono::seconds lifetime)
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

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
    if (listenFd_ >= 0) close(listenFd_);
    for (int fd : wakeFds_)
        if (fd >= 0) close(fd);
}

std::string LoopbackHttpServer::HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<HttpRequestSeen> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::WaitForRequests(size_t n) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, deadline_, [&] { return requests_.size() >= n || stop_; }) &&
           requests_.size() >= n;
}

void LoopbackHttpServer::ReleaseStall() {
    std::lock_guard lock(mutex_);
    releaseStall_ = true;
}

void LoopbackHttpServer::Stop() {
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

bool LoopbackHttpServer::Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_ || std::chrono::steady_clock::now() >= deadline_;
}

bool LoopbackHttpServer::WaitReadable(int fd, int milliseconds) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    for (int waited = 0; waited < milliseconds; waited += kSlice) {
        if (Stopping()) return false;
        int n = poll(fds, 2, kSlice);
        if (n < 0 && errno != EINTR) return false;
        if (fds[1].revents) return false;
        if (fds[0].revents) return true;
    }
    return false;
}

bool LoopbackHttpServer::SendAll(int fd, const char* data, size_t size) const {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void LoopbackHttpServer::Serve() {
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

void LoopbackHttpServer::Answer(int fd) {
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
            req.headers.emplace_back(Trim(h.substr(0, colon)), Trim(h.substr(colon + 1)));
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
            poll(p, 2, kSlice);
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
