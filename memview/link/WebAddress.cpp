#include "memview/link/WebAddress.h"

#include <strings.h>

namespace zanto {

namespace {

constexpr const char kHttp[] = "http://";
constexpr const char kHttps[] = "https://";

bool StartsWith(const std::string& text, const char* prefix, bool ignoreCase) {
    size_t n = std::char_traits<char>::length(prefix);
    if (text.size() < n) return false;
    return ignoreCase ? strncasecmp(text.c_str(), prefix, n) == 0 : text.compare(0, n, prefix) == 0;
}

}  // namespace

bool IsWebAddress(const std::string& text) {
    return StartsWith(text, kHttp, false) || StartsWith(text, kHttps, false);
}

bool IsWebAddressNoCase(const std::string& text) {
    return StartsWith(text, kHttp, true) || StartsWith(text, kHttps, true);
}

std::optional<WebAddress> ParseWebAddress(const std::string& text) {
    WebAddress a;
    std::string rest = text;
    // The scheme is matched in any case: a list line found as "HTTP://..." must be fetchable.
    if (StartsWith(rest, kHttps, true)) {
        a.secure = true;
        a.port = 443;
        rest.erase(0, sizeof kHttps - 1);
    } else if (StartsWith(rest, kHttp, true)) {
        rest.erase(0, sizeof kHttp - 1);
    }
    std::string hostPart = rest;
    if (size_t slash = rest.find('/'); slash != std::string::npos) {
        hostPart = rest.substr(0, slash);
        a.object = rest.substr(slash);
    }
    if (size_t at = hostPart.rfind('@'); at != std::string::npos) {
        a.credentials = hostPart.substr(0, at);
        a.hasCredentials = true;
        hostPart.erase(0, at + 1);
    }
    if (size_t colon = hostPart.find(':'); colon != std::string::npos) {
        std::string digits = hostPart.substr(colon + 1);
        hostPart.erase(colon);
        if (digits.empty() || digits.size() > 5) return std::nullopt;
        uint32_t port = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            port = port * 10 + uint32_t(c - '0');
        }
        if (port == 0 || port > 65535) return std::nullopt;
        a.port = static_cast<uint16_t>(port);
    }
    if (hostPart.empty()) return std::nullopt;
    // A host with characters that would change the meaning of the request line is refused.
    for (unsigned char c : hostPart)
        if (c <= ' ' || c == 0x7F || c == '?' || c == '#' || c == '\\') return std::nullopt;
    a.host = hostPart;
    return a;
}

std::string Base64Encode(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                     uint8_t(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (size_t left = bytes.size() - i; left > 0) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (left == 2) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace zanto
