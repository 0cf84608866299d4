#pragma once
// A per-user settings file that stands in for the registry: sections named by key paths, each
// holding named values that keep their type (32-bit number, text or raw bytes). The text form is
// human-readable, one value a line:
//
//   [Software\Corvane\Zanto\Kp50]
//   "port"=dword:ffffffff
//   "proxy"="server:8080"
//   "blob"=hex:01,02,03
//
// Lines that do not parse are kept as they stand and written back, so a hand edit gone wrong
// loses nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zanto {

struct SettingsValue {
    enum class Type { Number, Text, Binary };
    Type type = Type::Binary;
    // What the registry would hand back: a number as 4 little-endian bytes, a text with its NUL.
    std::vector<uint8_t> bytes;

    static SettingsValue Number(uint32_t v);
    static SettingsValue Text(const std::string& s);
};

class SettingsDocument {
public:
    // Parses text; never fails (unparseable lines are kept as raw lines).
    static SettingsDocument Parse(const std::string& text);
    std::string Serialize() const;

    std::optional<SettingsValue> Get(const std::string& key, const std::string& name) const;
    void Set(const std::string& key, const std::string& name, const SettingsValue& value);

private:
    struct Line {
        std::string name;                    // empty for a raw line
        std::optional<SettingsValue> value;  // absent for a raw line
        std::string raw;
    };
    struct Section {
        std::string key;  // empty for lines before the first header
        std::vector<Line> lines;
    };
    std::vector<Section> sections_;
};

// The file itself: reads without locking (writers replace it atomically), writes under an
// exclusive lock with a temporary file and a rename.
class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The values of the file; an unreadable or missing file reads as empty.
    SettingsDocument Load() const;
    // Read-modify-write of one value under the lock; false when the file cannot be written.
    bool Store(const std::string& key, const std::string& name, const SettingsValue& value);

private:
    std::string path_;
};

// The settings file in use: $ZANTO_SETTINGS, else $XDG_CONFIG_HOME/zanto/settings.reg.
std::string SettingsFilePath();

}  // namespace zanto
