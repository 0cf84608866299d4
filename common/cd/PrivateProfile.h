#pragma once
// Private profile files: text of "[section]" lines and "key=value" lines, section and key names
// compared ignoring case, values read into fixed-size buffers. Lines end in "\n" or "\r\n";
// white space around names and values is dropped, and a value in double quotes loses them. Lines
// that are neither are ignored; when a section or a key occurs twice the first one counts.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zanto::cd {

// The keys and values of one section, in file order.
class ProfileSection {
public:
    // Reads the first section named section from file; empty when the file or section is missing.
    static ProfileSection Load(const std::string& file, const std::string& section);

    bool Found() const { return found_; }
    // The value cut to bufferSize - 1 bytes (on a UTF-8 character boundary), or the default when
    // the key is missing.
    std::string String(const std::string& key, const std::string& fallback, uint32_t bufferSize) const;
    // The value as a decimal number (optional sign, digits up to the first other character, 0
    // when there are none), or the default when the key is missing.
    int32_t Int(const std::string& key, int32_t fallback) const;

private:
    const std::string* Find(const std::string& key) const;

    bool found_ = false;
    std::vector<std::pair<std::string, std::string>> values_;
};

std::string ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& fallback, uint32_t bufferSize);
int32_t ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                       int32_t fallback);

// Sets key in section (both created when missing), keeping every other line of the file as it
// was; the file is replaced in one step, so a failure leaves the old one. False when a name or the
// value cannot be stored (line breaks, NUL, "]" in a section, "=" in a key) or the file cannot be
// written.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Cuts text to at most maxBytes without splitting a UTF-8 sequence.
std::string CutOnCharacter(const std::string& text, size_t maxBytes);

}  // namespace zanto::cd
