#pragma once
// The program's settings: the four registry-style access functions and one reader/writer pair per
// value. Nothing is cached: every read goes to the settings file, so a value stored by one part of
// the system (or another process) is seen at the next read.
#include <cstdint>
#include <string>

namespace zanto {

inline constexpr const char* kSettingsKey = "Software\\Corvane\\Zanto\\Kp50";

// Read buffer sizes of the text values, in bytes with the terminating NUL.
inline constexpr size_t kProxyBufferSize = 256;
inline constexpr size_t kSfmtBufferSize = 1024;
inline constexpr size_t kLodirBufferSize = 1024;

// The stored 32-bit value whatever its type (its first four bytes), or the default.
uint32_t ReadNumberSetting(const std::string& key, const std::string& name, uint32_t defaultValue);
bool WriteNumberSetting(const std::string& key, const std::string& name, uint32_t value);
// The stored text (raw bytes for a value of another type) when it fits bufferSize bytes with its
// NUL, otherwise the default.
std::string ReadTextSetting(const std::string& key, const std::string& name, size_t bufferSize,
                            const std::string& defaultValue);
bool WriteTextSetting(const std::string& key, const std::string& name, const std::string& value);

namespace settings {

int32_t ReadPort();            // -1: not chosen yet
bool WritePort(int32_t port);
bool ReadQuick();              // write every change to the player at once
bool WriteQuick(bool quick);
bool ReadM3u();                // take added ".m3u" lists apart
bool WriteM3u(bool m3u);
bool ReadWarning();            // ask before deleting files
bool WriteWarning(bool warning);
int32_t ReadVolume();          // 0..100 as stored
bool WriteVolume(int32_t volume);
std::string ReadProxy();       // "server:port" or empty
bool WriteProxy(const std::string& proxy);
std::string ReadSfmt();        // file-dialog filter text of the usable plug-ins
bool WriteSfmt(const std::string& sfmt);
std::string ReadLodir();       // folder last used in a file dialog
bool WriteLodir(const std::string& lodir);

}  // namespace settings
}  // namespace zanto
