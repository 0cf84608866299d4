#include "memview/link/HttpClient.h"

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "memview/link/WebAddress.h"

namespace zanto {

namespace {

constexpr long kPollMilliseconds = 50;
constexpr long kMaxRedirects = 10;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Bytes that cannot stand in a request line are sent percent-encoded; everything else as given.
std::string EncodeObject(const std::string& object) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : object) {
        if (c <= ' ' || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string UrlOf(const WebAddress& a) {
    return std::string(a.secure ? "https://" : "http://") + a.host + ":" + std::to_string(a.port) +
           EncodeObject(a.object);
}

// Credentials are sent only when they hold a ":" (user and password).
bool SplitCredentials(const WebAddress& a, std::string& user, std::string& password) {
    if (!a.hasCredentials) return false;
    size_t colon = a.credentials.find(':');
    if (colon == std::string::npos) return false;
    user = a.credentials.substr(0, colon);
    password = a.credentials.substr(colon + 1);
    return true;
}

struct Transfer {
    CURL* easy = nullptr;
    HttpSink* sink = nullptr;
    std::atomic<uint64_t> activity{0};  // header and body bytes seen
    bool responded = false;
    bool wrongStatus = false;
    bool sinkStopped = false;
    long status = 0;
};

size_t OnHeader(char*, size_t size, size_t n, void* user) {
    static_cast<Transfer*>(user)->activity += size * n;
    return size * n;
}

// Checks the status before the first byte of a body goes on.
bool Respond(Transfer& t) {
    if (t.responded) return !t.wrongStatus;
    t.responded = true;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &t.status);
    if (t.status != 200) {
        t.wrongStatus = true;
        return false;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    t.sink->OnResponse(length < 0 ? -1 : int64_t(length));
    return true;
}

size_t OnBody(char* data, size_t size, size_t n, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t bytes = size * n;
    t.activity += bytes;
    if (!Respond(t)) return 0;
    // The buffer size keeps pieces within kHttpPieceBytes; split anyway should a build ignore it.
    for (size_t at = 0; at < bytes; at += kHttpPieceBytes) {
        size_t piece = bytes - at < kHttpPieceBytes ? bytes - at : kHttpPieceBytes;
        if (!t.sink->OnData(reinterpret_cast<const uint8_t*>(data) + at, piece)) {
            t.sinkStopped = true;
            return 0;
        }
    }
    return bytes;
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

HttpResult HttpGet(const std::string& source, HttpSink& sink, const HttpGetOptions& options) {
    GlobalInit();
    HttpResult result;
    Clock& clock = options.clock ? *options.clock : Clock::System();
    auto cancelled = [&] { return options.cancelled && options.cancelled(); };

    std::optional<WebAddress> target = ParseWebAddress(source);
    if (!target) {
        result.error = "not a usable web address";
        return result;
    }
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) {
        result.error = "the HTTP client cannot start";
        return result;
    }
    CURL* e = easy.get();
    Transfer t;
    t.easy = e;
    t.sink = &sink;

    // With a proxy the whole address is the requested object (absolute form through the proxy).
    if (!options.proxy.empty() && options.proxy.find(':') != std::string::npos) {
        std::optional<WebAddress> proxy = ParseWebAddress(options.proxy);
        if (!proxy) {
            result.error = "the proxy setting is not \"server:port\"";
            return result;
        }
        curl_easy_setopt(e, CURLOPT_PROXY, ("http://" + proxy->host).c_str());
        curl_easy_setopt(e, CURLOPT_PROXYPORT, long(proxy->port));
        curl_easy_setopt(e, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        std::string user, password;
        // The proxy's own credentials are for the proxy only, never forwarded to the server.
        if (SplitCredentials(*proxy, user, password)) {
            curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, user.c_str());
            curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, password.c_str());
            curl_easy_setopt(e, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
        }
    }
    // Without the setting the system's own proxy configuration (the environment) applies.
    std::string url = UrlOf(*target);
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    std::string user, password;
    if (SplitCredentials(*target, user, password)) {
        curl_easy_setopt(e, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
    }

    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const char* h : {"Pragma: no-cache", "Cache-Control: no-cache"}) {
        curl_slist* grown = curl_slist_append(headers.get(), h);
        if (!grown) {
            result.error = "out of memory";
            return result;
        }
        headers.release();
        headers.reset(grown);
    }
    std::string accept = std::string("Accept: ") + kHttpAcceptTypes;
    if (curl_slist* grown = curl_slist_append(headers.get(), accept.c_str())) {
        headers.release();
        headers.reset(grown);
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_USERAGENT, kHttpUserAgent);
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, long(kHttpPieceBytes));
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);

    curl_multi_add_handle(multi.get(), e);
    Clock::Duration lastActivity = clock.Now();
    uint64_t seen = 0;
    bool stalled = false;
    bool stopped = false;
    int running = 1;
    while (running) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
        if (!running) break;
        if (cancelled()) {
            stopped = true;
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
        if (uint64_t now = t.activity.load(); now != seen) {
            seen = now;
            lastActivity = clock.Now();
        } else if (clock.Now() - lastActivity >= options.stallLimit) {
            stalled = true;
            break;
        }
    }
    CURLcode code = CURLE_OK;
    bool finished = false;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == e) {
            code = msg->data.result;
            finished = true;
        }
    }
    curl_multi_remove_handle(multi.get(), e);

    if (!t.responded && finished && code == CURLE_OK) Respond(t);  // a 200 without a body
    result.status = t.status;
    if (stopped || t.sinkStopped || cancelled()) {
        result.outcome = HttpOutcome::Cancelled;
    } else if (stalled) {
        result.error = "the server sent nothing for too long";
    } else if (t.wrongStatus) {
        result.outcome = HttpOutcome::Status;
    } else if (!finished) {
        result.error = "the HTTP client stopped";
    } else if (code != CURLE_OK) {
        result.error = curl_easy_strerror(code);
    } else {
        result.outcome = HttpOutcome::Ok;
    }
    return result;
}

}  // namespace zanto
