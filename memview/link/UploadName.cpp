#include "memview/link/UploadName.h"

#include <sys/stat.h>

namespace zanto {

namespace {
constexpr int kMaxClashNumber = 99999;
}

std::string SafeFileName(const std::string& name) {
    if (name.empty()) return "_";
    if (name == ".") return "_";
    if (name == "..") return "__";
    std::string out = name;
    for (char& c : out)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    return out;
}

std::string ClashFreePath(const std::string& folder, const std::string& name,
                          const std::function<bool(const std::string&)>& exists) {
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    std::string path = base + name;
    if (!exists(path)) return path;
    size_t dot = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '"') quoted = !quoted;
        if (name[i] == '.' && !quoted) {
            dot = i;
            break;
        }
    }
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string rest = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (int n = 1; n <= kMaxClashNumber; ++n) {
        std::string candidate = base + stem + "(" + std::to_string(n) + ")." + rest;
        if (!exists(candidate)) return candidate;
    }
    return {};
}

bool PathTaken(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace zanto
