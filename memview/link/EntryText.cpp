#include "memview/link/EntryText.h"

#include <cstdio>
#include <ctime>

#include "common/MpegHeader.h"

namespace zanto {

namespace {

bool IsAddress(const FileEntry& e) { return e.state == static_cast<uint8_t>(EntryState::WaitingHttp); }

}  // namespace

std::string EntryPropertyText(const FileEntry& entry) {
    if (IsAddress(entry) || !mpeg::IsValidHeader(entry.header)) return {};
    const uint32_t bitRate = mpeg::BitRate(entry.header);
    const uint32_t sampleRate = mpeg::SampleRate(entry.header);
    // Free-format and reserved bit rates give no play time to divide by.
    if (bitRate < 1000 || mpeg::Layer(entry.header) == 0) return {};
    const uint32_t ms = static_cast<uint32_t>(uint64_t(entry.size) * 8 / (bitRate / 1000));
    const unsigned minutes = ms / 60000;
    const unsigned seconds = (ms / 1000) % 60;
    char text[64];
    if (sampleRate % 1000 == 0) {
        std::snprintf(text, sizeof text, "%2u:%2u %uKbps %uKHz", minutes, seconds, bitRate / 1000,
                      sampleRate / 1000);
    } else {
        std::snprintf(text, sizeof text, "%2u:%2u %uKbps %u.%uKHz", minutes, seconds,
                      bitRate / 1000, sampleRate / 1000, (sampleRate % 1000) / 100);
    }
    for (int i = 0; i < 5 && text[i]; ++i)
        if (text[i] == ' ') text[i] = '0';
    return text;
}

std::string EntryDateText(const FileEntry& entry) {
    if (IsAddress(entry)) return {};
    const std::time_t t = static_cast<std::time_t>(entry.time);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "%y-%m-%d %p %I:%M:%S", &local);
    return std::string(text, n);
}

std::string EntrySizeText(const FileEntry& entry) {
    return IsAddress(entry) ? std::string() : std::to_string(entry.size);
}

}  // namespace zanto
