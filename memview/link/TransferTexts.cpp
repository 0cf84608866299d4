#include "memview/link/TransferTexts.h"

namespace zanto::texts {

std::string Substitute(const std::string& pattern, const std::vector<std::string>& args) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            size_t n = size_t(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace zanto::texts
