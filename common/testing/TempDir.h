#pragma once
// A fresh folder for one test, removed with everything in it at the end.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zanto::testkit {

class TempDir {
public:
    TempDir() {
        std::string base = std::filesystem::temp_directory_path().string();
        if (const char* t = std::getenv("ZANTO_TEST_TMP"); t && *t) {
            base = t;
            std::filesystem::create_directories(base);
        }
        std::string pattern = base + "/zt-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace zanto::testkit
