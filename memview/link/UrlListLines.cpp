#include "memview/link/UrlListLines.h"

#include "memview/link/WebAddress.h"

namespace zanto {

void UrlListLines::Feed(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\r' || c == '\n') {
            Line();
        } else if (line_.size() < kMaxLine) {
            line_ += c;
        } else {
            overlong_ = true;
        }
    }
}

void UrlListLines::End() { Line(); }

void UrlListLines::Line() {
    if (!overlong_ && IsWebAddress(line_)) out_.push_back(line_);
    line_.clear();
    overlong_ = false;
}

}  // namespace zanto
