#include "common/Paths.h"

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zanto {

std::string FileNameOf(const std::string& path) {
    std::string name = path;
    if (auto slash = name.rfind('/'); slash != std::string::npos) name = name.substr(slash + 1);
    if (auto back = name.rfind('\\'); back != std::string::npos) name = name.substr(back + 1);
    return name;
}

std::string ModuleFolder() {
    Dl_info info{};
    std::string file;
    if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) && info.dli_fname && *info.dli_fname)
        file = info.dli_fname;
    std::error_code ec;
    auto resolved = std::filesystem::canonical(file.empty() ? "/proc/self/exe" : file, ec);
    if (ec) resolved = std::filesystem::canonical("/proc/self/exe", ec);
    std::string full = ec ? std::string(".") + "/x" : resolved.string();
    auto slash = full.rfind('/');
    if (slash == 0) return "/";
    return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

static std::string Home() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

static std::string XdgFolder(const char* var, const char* fallback) {
    if (const char* v = std::getenv(var); v && *v == '/') return std::string(v) + "/zanto";
    return Home() + fallback + "/zanto";
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string DataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string RuntimeFolder() {
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v && *v == '/') {
        MakeFolders(v);
        return v;
    }
    std::string dir = "/tmp/zanto-" + std::to_string(getuid());
    MakeFolders(dir);
    chmod(dir.c_str(), 0700);
    return dir;
}

std::string TempFolder() {
    std::string base;
    if (const char* t = std::getenv("ZANTO_TEST_TMP"); t && *t == '/')
        base = t;
    else if (const char* t2 = std::getenv("TMPDIR"); t2 && *t2 == '/')
        base = std::string(t2) + "/zanto-" + std::to_string(getuid());
    else
        base = "/tmp/zanto-" + std::to_string(getuid());
    MakeFolders(base);
    chmod(base.c_str(), 0700);
    return base;
}

}  // namespace zanto
