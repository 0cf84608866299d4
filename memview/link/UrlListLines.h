#pragma once
// Takes the web addresses out of a fetched playlist text as it arrives in chunks. Lines end at
// every carriage return and line feed; a line cut by a chunk boundary is joined with its rest, and
// the text's last line counts even without a line end. Lines beginning with "http://" or
// "https://" are kept; an overlong line is dropped rather than grown without bound.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zanto {

class UrlListLines {
public:
    static constexpr size_t kMaxLine = 8192;
    explicit UrlListLines(std::vector<std::string>& out) : out_(out) {}
    void Feed(const uint8_t* data, size_t size);
    void End();

private:
    void Line();
    std::vector<std::string>& out_;
    std::string line_;
    bool overlong_ = false;
};

}  // namespace zanto
