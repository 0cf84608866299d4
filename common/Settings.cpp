#include "common/Settings.h"

#include <cstring>

#include "common/SettingsFile.h"

namespace zanto {

uint32_t ReadNumberSetting(const std::string& key, const std::string& name, uint32_t defaultValue) {
    auto value = SettingsFile(SettingsFilePath()).Load().Get(key, name);
    // A 4-byte query fails for anything larger, as it did in the registry.
    if (!value || value->bytes.size() > 4) return defaultValue;
    uint8_t b[4] = {0, 0, 0, 0};
    std::memcpy(b, value->bytes.data(), value->bytes.size());
    return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24;
}

bool WriteNumberSetting(const std::string& key, const std::string& name, uint32_t value) {
    return SettingsFile(SettingsFilePath()).Store(key, name, SettingsValue::Number(value));
}

std::string ReadTextSetting(const std::string& key, const std::string& name, size_t bufferSize,
                            const std::string& defaultValue) {
    auto value = SettingsFile(SettingsFilePath()).Load().Get(key, name);
    if (!value || value->bytes.size() > bufferSize) return defaultValue;
    const auto& b = value->bytes;
    std::string text(b.begin(), b.end());
    return std::string(text.c_str());  // the text up to its first NUL
}

bool WriteTextSetting(const std::string& key, const std::string& name, const std::string& value) {
    return SettingsFile(SettingsFilePath()).Store(key, name, SettingsValue::Text(value));
}

namespace settings {

namespace {
int32_t Number(const char* name, int32_t def) {
    return static_cast<int32_t>(ReadNumberSetting(kSettingsKey, name, static_cast<uint32_t>(def)));
}
bool SetNumber(const char* name, int32_t v) {
    return WriteNumberSetting(kSettingsKey, name, static_cast<uint32_t>(v));
}
}  // namespace

int32_t ReadPort() { return Number("port", -1); }
bool WritePort(int32_t port) { return SetNumber("port", port); }
bool ReadQuick() { return Number("quick", 0) != 0; }
bool WriteQuick(bool quick) { return SetNumber("quick", quick ? 1 : 0); }
bool ReadM3u() { return Number("m3u", 1) != 0; }
bool WriteM3u(bool m3u) { return SetNumber("m3u", m3u ? 1 : 0); }
bool ReadWarning() { return Number("warning", 1) != 0; }
bool WriteWarning(bool warning) { return SetNumber("warning", warning ? 1 : 0); }
int32_t ReadVolume() { return Number("volume", 50); }
bool WriteVolume(int32_t volume) { return SetNumber("volume", volume); }
std::string ReadProxy() { return ReadTextSetting(kSettingsKey, "proxy", kProxyBufferSize, ""); }
bool WriteProxy(const std::string& v) { return WriteTextSetting(kSettingsKey, "proxy", v); }
std::string ReadSfmt() { return ReadTextSetting(kSettingsKey, "sfmt", kSfmtBufferSize, ""); }
bool WriteSfmt(const std::string& v) { return WriteTextSetting(kSettingsKey, "sfmt", v); }
std::string ReadLodir() { return ReadTextSetting(kSettingsKey, "lodir", kLodirBufferSize, ""); }
bool WriteLodir(const std::string& v) { return WriteTextSetting(kSettingsKey, "lodir", v); }

}  // namespace settings
}  // namespace zanto
