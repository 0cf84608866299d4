#include "common/cd/PrivateProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/Paths.h"

namespace zanto::cd {

namespace {

// A line is kept up to this many bytes; the longest value read is 511 bytes, so longer lines only
// cost reading time.
constexpr size_t kKeptLine = 16384;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    const char* space = " \t\r\v\f";
    const size_t first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

// "[name]" gives name; anything else is not a section line.
bool SectionOf(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    name = Trim(close == std::string_view::npos ? line : line.substr(0, close));
    return true;
}

// "key=value" gives both; comments and lines without "=" are not key lines.
bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    if (key.empty() || key.front() == ';') return false;
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return true;
}

// Opens a regular file for reading; -1 otherwise (a FIFO or device would block or never end).
int OpenRegular(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Calls onLine(line) for each line (cut to kKeptLine bytes, line end removed) until it returns
// false or the file ends.
template <typename OnLine>
void ForEachLine(int fd, OnLine onLine) {
    char buffer[65536];
    std::string line;
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                if (!onLine(std::string_view(line))) return;
                line.clear();
                any = false;
            } else {
                any = true;
                if (line.size() < kKeptLine) line.push_back(buffer[i]);
            }
        }
    }
    if (any) onLine(std::string_view(line));
}

}  // namespace

std::string CutOnCharacter(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    // A continuation byte at the cut means the character there began before it: cut before its
    // lead byte. Text that is no UTF-8 (more than three continuation bytes) is cut where it is.
    size_t cut = maxBytes;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back) --cut;
    if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) cut = maxBytes;
    return text.substr(0, cut);
}

ProfileSection ProfileSection::Load(const std::string& file, const std::string& section) {
    ProfileSection result;
    const int fd = OpenRegular(file);
    if (fd < 0) return result;
    bool inside = false;
    bool first = true;
    ForEachLine(fd, [&](std::string_view line) {
        if (first && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        first = false;
        std::string_view name, key, value;
        if (SectionOf(line, name)) {
            if (inside) return false;  // the first section of that name counts
            inside = SameName(name, section);
            result.found_ = result.found_ || inside;
            return true;
        }
        if (inside && KeyOf(line, key, value)) result.values_.emplace_back(key, value);
        return true;
    });
    ::close(fd);
    return result;
}

const std::string* ProfileSection::Find(const std::string& key) const {
    for (const auto& [k, v] : values_)
        if (SameName(k, key)) return &v;
    return nullptr;
}

std::string ProfileSection::String(const std::string& key, const std::string& fallback, uint32_t bufferSize) const {
    if (bufferSize == 0) return std::string();
    const std::string* v = Find(key);
    return CutOnCharacter(v ? *v : fallback, bufferSize - 1);
}

int32_t ProfileSection::Int(const std::string& key, int32_t fallback) const {
    const std::string* v = Find(key);
    if (!v) return fallback;
    size_t i = 0;
    bool negative = false;
    if (i < v->size() && ((*v)[i] == '-' || (*v)[i] == '+')) negative = (*v)[i++] == '-';
    uint32_t value = 0;  // wraps like the 32-bit original
    for (; i < v->size() && (*v)[i] >= '0' && (*v)[i] <= '9'; ++i) value = value * 10 + uint32_t((*v)[i] - '0');
    return int32_t(negative ? 0u - value : value);
}

std::string ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& fallback, uint32_t bufferSize) {
    return ProfileSection::Load(file, section).String(key, fallback, bufferSize);
}

int32_t ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                       int32_t fallback) {
    return ProfileSection::Load(file, section).Int(key, fallback);
}

namespace {

bool HasAny(const std::string& s, std::string_view chars) {
    return s.find('\0') != std::string::npos || s.find_first_of(chars) != std::string::npos;
}

// Reads the whole file into text; false when it exists but cannot be read whole (or is not a
// regular file), so it is never replaced by a shortened copy.
bool ReadWhole(const std::string& file, std::string& text, mode_t& mode) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return errno == ENOENT;
    mode = st.st_mode & 07777;
    const int fd = OpenRegular(file);
    if (fd < 0) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

bool ReplaceFile(const std::string& file, const std::string& text, mode_t mode) {
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(file.substr(0, slash));
    std::string temp = file + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    std::string_view rest = text;
    while (ok && !rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            rest.remove_prefix(size_t(n));
    }
    ok = ::fchmod(fd, mode) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    const std::string_view sectionName = Trim(section), keyName = Trim(key);
    if (sectionName.empty() || HasAny(section, "]\r\n")) return false;
    if (keyName.empty() || HasAny(key, "=\r\n") || keyName.front() == ';' || keyName.front() == '[') return false;
    if (HasAny(value, "\r\n")) return false;

    std::string old;
    mode_t mode = 0644;
    if (!ReadWhole(file, old, mode)) return false;

    // Values with outer blanks or outer quotes are quoted, so they read back unchanged.
    const bool quote = !value.empty() && (Trim(value).size() != value.size() ||
                                          (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    const std::string keyLine =
        std::string(keyName) + "=" + (quote ? "\"" + value + "\"" : value) + "\r\n";

    // Lines with their own line ends; a last line without one gets one.
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < old.size();) {
        size_t end = old.find('\n', pos);
        end = end == std::string::npos ? old.size() : end + 1;
        lines.emplace_back(old, pos, end - pos);
        pos = end;
    }
    if (!lines.empty() && lines.back().back() != '\n') lines.back().append("\r\n");
    auto body = [](const std::string& line) {
        std::string_view b = line;
        while (!b.empty() && (b.back() == '\n' || b.back() == '\r')) b.remove_suffix(1);
        return b;
    };

    size_t head = lines.size();
    for (size_t i = 0; i < lines.size() && head == lines.size(); ++i) {
        std::string_view name;
        if (SectionOf(body(lines[i]), name) && SameName(name, sectionName)) head = i;
    }
    if (head == lines.size()) {
        lines.push_back("[" + std::string(sectionName) + "]\r\n");
        lines.push_back(keyLine);
    } else {
        size_t insertAt = head + 1;
        bool replaced = false;
        for (size_t i = head + 1; i < lines.size(); ++i) {
            std::string_view name, k, v;
            const std::string_view b = body(lines[i]);
            if (SectionOf(b, name)) break;
            if (KeyOf(b, k, v) && SameName(k, keyName)) {
                lines[i] = keyLine;
                replaced = true;
                break;
            }
            if (!Trim(b).empty()) insertAt = i + 1;
        }
        if (!replaced) lines.insert(lines.begin() + std::ptrdiff_t(insertAt), keyLine);
    }
    std::string text;
    for (const auto& line : lines) text += line;
    return ReplaceFile(file, text, mode);
}

}  // namespace zanto::cd
