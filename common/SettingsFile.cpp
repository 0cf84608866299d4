#include "common/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/Paths.h"

namespace zanto {

namespace {

// A settings file is small; anything larger than this is not ours and reads as empty.
constexpr off_t kMaxFileSize = 4 << 20;

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char buf[5];
                    std::snprintf(buf, sizeof buf, "\\x%02x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses a quoted text starting at s[pos] == '"'; on success pos is after the closing quote.
std::optional<std::string> Unquote(const std::string& s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') return std::nullopt;
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= s.size()) return std::nullopt;
        switch (s[i]) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                if (i + 2 >= s.size()) return std::nullopt;
                int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<SettingsValue> ParseValue(const std::string& text) {
    if (text.rfind("dword:", 0) == 0) {
        std::string digits = text.substr(6);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        return SettingsValue::Number(v);
    }
    if (text.rfind("hex:", 0) == 0) {
        SettingsValue v;
        v.type = SettingsValue::Type::Binary;
        std::string rest = text.substr(4);
        size_t i = 0;
        while (i < rest.size()) {
            if (i + 1 >= rest.size()) return std::nullopt;
            int hi = HexDigit(rest[i]), lo = HexDigit(rest[i + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            v.bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            i += 2;
            if (i < rest.size()) {
                if (rest[i] != ',') return std::nullopt;
                ++i;
            }
        }
        return v;
    }
    size_t pos = 0;
    auto s = Unquote(text, pos);
    if (!s || pos != text.size()) return std::nullopt;
    return SettingsValue::Text(*s);
}

std::string FormatValue(const SettingsValue& v) {
    if (v.type == SettingsValue::Type::Number && v.bytes.size() == 4) {
        uint32_t n = v.bytes[0] | v.bytes[1] << 8 | v.bytes[2] << 16 | uint32_t(v.bytes[3]) << 24;
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        return buf;
    }
    if (v.type == SettingsValue::Type::Text && !v.bytes.empty() && v.bytes.back() == 0) {
        std::string s(v.bytes.begin(), v.bytes.end() - 1);
        if (s.find('\0') == std::string::npos) return Quote(s);
    }
    std::string out = "hex:";
    char buf[4];
    for (size_t i = 0; i < v.bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.bytes[i]);
        out += buf;
    }
    return out;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ReadAll(int fd, std::string& out) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) return false;
    out.clear();
    char buf[8192];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > static_cast<size_t>(kMaxFileSize)) return false;
    }
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

SettingsValue SettingsValue::Number(uint32_t v) {
    SettingsValue s;
    s.type = Type::Number;
    s.bytes = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return s;
}

SettingsValue SettingsValue::Text(const std::string& text) {
    SettingsValue s;
    s.type = Type::Text;
    // Stored like a C string: the text up to any NUL, then the terminating NUL.
    std::string cut(text.c_str());
    s.bytes.assign(cut.begin(), cut.end());
    s.bytes.push_back(0);
    return s;
}

SettingsDocument SettingsDocument::Parse(const std::string& text) {
    SettingsDocument doc;
    doc.sections_.push_back({});
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        start = end + 1;
        std::string line = Trim(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            doc.sections_.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        Line entry{"", std::nullopt, raw};
        size_t pos = 0;
        if (!line.empty() && line[0] == '"' && doc.sections_.back().key.size()) {
            auto name = Unquote(line, pos);
            if (name && pos < line.size() && line[pos] == '=') {
                if (auto value = ParseValue(line.substr(pos + 1))) {
                    entry.name = *name;
                    entry.value = *value;
                }
            }
        }
        doc.sections_.back().lines.push_back(std::move(entry));
    }
    return doc;
}

std::string SettingsDocument::Serialize() const {
    std::string out;
    for (const auto& section : sections_) {
        if (!section.key.empty()) out += "[" + section.key + "]\n";
        for (const auto& line : section.lines) {
            if (line.value)
                out += Quote(line.name) + "=" + FormatValue(*line.value) + "\n";
            else
                out += line.raw + "\n";
        }
    }
    return out;
}

std::optional<SettingsValue> SettingsDocument::Get(const std::string& key,
                                                   const std::string& name) const {
    // Later lines win, as they would when a hand-edited file repeats a value.
    std::optional<SettingsValue> found;
    for (const auto& section : sections_) {
        if (section.key != key) continue;
        for (const auto& line : section.lines)
            if (line.value && line.name == name) found = line.value;
    }
    return found;
}

void SettingsDocument::Set(const std::string& key, const std::string& name,
                           const SettingsValue& value) {
    Line* last = nullptr;
    Section* lastSection = nullptr;
    for (auto& section : sections_) {
        if (section.key != key) continue;
        lastSection = &section;
        for (auto& line : section.lines)
            if (line.value && line.name == name) last = &line;
    }
    if (last) {
        last->value = value;
        return;
    }
    if (!lastSection) {
        sections_.push_back({key, {}});
        lastSection = &sections_.back();
    }
    // Keep blank lines that end a section after the new value.
    auto& lines = lastSection->lines;
    auto at = lines.end();
    while (at != lines.begin() && !std::prev(at)->value && Trim(std::prev(at)->raw).empty()) --at;
    lines.insert(at, Line{name, value, ""});
}

SettingsDocument SettingsFile::Load() const {
    std::string text;
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (!ReadAll(fd, text)) text.clear();
        close(fd);
    }
    return SettingsDocument::Parse(text);
}

bool SettingsFile::Store(const std::string& key, const std::string& name,
                         const SettingsValue& value) {
    if (!MakeFolders(FolderOf(path_))) return false;
    std::string lockPath = path_ + ".lock";
    int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return false;
    while (flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(lock);
            return false;
        }
    }
    bool ok = false;
    std::string text;
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    bool readable = fd < 0 ? errno == ENOENT : ReadAll(fd, text);
    if (fd >= 0) close(fd);
    // A file we cannot read is left alone rather than overwritten with one value.
    if (readable) {
        SettingsDocument doc = SettingsDocument::Parse(text);
        doc.Set(key, name, value);
        std::string out = doc.Serialize();
        std::string tmp = path_ + ".tmp." + std::to_string(getpid());
        int w = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (w >= 0) {
            bool written = WriteAll(w, out) && fsync(w) == 0;
            written = close(w) == 0 && written;
            ok = written && rename(tmp.c_str(), path_.c_str()) == 0;
            if (!ok) unlink(tmp.c_str());
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return ok;
}

std::string SettingsFilePath() {
    if (const char* p = std::getenv("ZANTO_SETTINGS"); p && *p) return p;
    return ConfigFolder() + "/settings.reg";
}

}  // namespace zanto
