#pragma once
// Web addresses as the transfer engine reads them: which texts count as one, and how the host,
// port, object and credentials are taken out of one.
#include <cstdint>
#include <optional>
#include <string>

namespace zanto {

// "http://" and "https://" addresses are treated alike wherever a text is tested for being one.
// Exact case: adding a file, lines of a fetched list.
bool IsWebAddress(const std::string& text);
// Case ignored: lines of a local ".m3u" list.
bool IsWebAddressNoCase(const std::string& text);

struct WebAddress {
    bool secure = false;      // "https://"
    std::string host;
    uint16_t port = 80;       // 443 for "https://" unless given
    std::string object = "/"; // from the first "/" after the host on, "/" when there is none
    // The text before the last "@" of the host part; empty when there is none.
    std::string credentials;
    bool hasCredentials = false;
};

// Splits an address: a leading "http://" or "https://" (any case) is dropped, the host part ends at the first
// "/", credentials end at its last "@", a port follows its first ":". Nothing when the host is
// empty or the port is not a number from 1 to 65535.
std::optional<WebAddress> ParseWebAddress(const std::string& text);

// Standard alphabet with "=" padding.
std::string Base64Encode(const std::string& bytes);

}  // namespace zanto
