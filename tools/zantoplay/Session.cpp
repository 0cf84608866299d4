#include "tools/zantoplay/Session.h"

#include <algorithm>
#include <chrono>

#include "common/Paths.h"
#include "tools/zantoplay/Keys.h"
#include "tools/zantoplay/Status.h"

namespace zantoplay {

namespace {
constexpr auto kTick = std::chrono::milliseconds(100);
constexpr int32_t kSeekStepMs = 5000;
constexpr int32_t kVolumeStep = 5;
}  // namespace

Session::Session(zanto::PluginHost& host, zanto::Clock& clock, SessionIo io, int32_t volume)
    : host_(host), clock_(clock), io_(std::move(io)), volume_(std::clamp(volume, 0, 100)) {}

int Session::Run(const std::vector<std::string>& files) {
    for (size_t i = 0; i < files.size();) {
        int32_t result = host_.OpenFile(files[i]);
        if (result != 1) {
            std::string reason = "Cannot open file or file type is unsupported.";
            if (result == 3) host_.ErrorText(reason);
            *io_.err << files[i] << "\n" << reason << "\n";
            host_.Close();
            ++failures_;
            ++i;
            continue;
        }
        int step = PlayOpenFile(files[i]);
        host_.Close();
        if (io_.statusInPlace) *io_.out << "\n";
        io_.out->flush();
        if (step == 0) break;
        i = step < 0 ? (i == 0 ? 0 : i - 1) : i + 1;
    }
    return failures_ ? 1 : 0;
}

int Session::PlayOpenFile(const std::string& path) {
    host_.Play();
    host_.SetNumberItem(volume_, HMA_DATA_VOLUME);
    lastStatus_.clear();
    for (;;) {
        clock_.Sleep(kTick);
        for (Action a : ParseKeys(io_.readKeys ? io_.readKeys() : std::string())) {
            switch (a) {
            case Action::PauseResume:
                if (host_.State() == HMA_STATE_PAUSED) host_.Play();
                else host_.Pause();
                break;
            case Action::Next: return 1;
            case Action::Previous: return -1;
            case Action::Quit: return 0;
            case Action::SeekBack:
            case Action::SeekForward: {
                int32_t to = host_.Position() + (a == Action::SeekBack ? -kSeekStepMs : kSeekStepMs);
                int32_t duration = host_.Duration();
                host_.MoveTo(std::clamp(to, 0, duration > 0 ? duration : std::max(to, 0)));
                break;
            }
            case Action::VolumeDown:
            case Action::VolumeUp:
                volume_ = std::clamp(volume_ + (a == Action::VolumeUp ? kVolumeStep : -kVolumeStep), 0, 100);
                host_.SetNumberItem(volume_, HMA_DATA_VOLUME);
                break;
            }
        }
        int32_t duration = host_.Duration();
        int32_t state = host_.State();
        int32_t pos = host_.Position();
        ShowStatus(path, state, pos, duration);
        if (state == HMA_STATE_STOPPED && pos >= duration) return 1;
        if (state == HMA_STATE_ERROR) {
            std::string reason;
            host_.ErrorText(reason);
            if (io_.statusInPlace) *io_.out << "\n";
            *io_.err << path << "\n" << (reason.empty() ? "Playback failed." : reason) << "\n";
            ++failures_;
            return 1;
        }
    }
}

void Session::ShowStatus(const std::string& path, int32_t state, int32_t pos, int32_t duration) {
    StatusInfo info;
    if (!host_.TextItem(HMA_DATA_TITLE, info.title)) info.title = zanto::FileNameOf(path);
    info.positionMs = pos;
    info.durationMs = duration;
    host_.TextItem(HMA_DATA_BITRATE, info.bitRate);
    host_.TextItem(HMA_DATA_SAMPLERATE, info.sampleRate);
    host_.TextItem(HMA_DATA_TYPE, info.type);
    info.state = state;
    int32_t volume;
    if (host_.NumberItem(HMA_DATA_VOLUME, volume)) info.volume = volume;
    std::string line = FormatStatus(info);
    if (line == lastStatus_) return;
    lastStatus_ = line;
    if (io_.statusInPlace)
        *io_.out << "\r" << line << "\x1b[K";
    else
        *io_.out << line << "\n";
    io_.out->flush();
}

}  // namespace zantoplay
