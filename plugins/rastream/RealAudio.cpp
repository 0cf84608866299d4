#include "plugins/rastream/RealAudio.h"

#include <cstdio>
#include <cstring>

#include "plugins/contract/TextAnswers.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/rastream/MessageBox.h"

namespace rastream {

namespace {
// Stands for the module's instance handle that the engine is given at set-up.
int g_moduleInstance;
}  // namespace

std::string CutBitRate(const std::string& status) {
    auto at = [&](const char* word) -> long {
        size_t p = status.find(word);
        return p == std::string::npos ? -1 : static_cast<long>(p);
    };
    long start = at("Buffring") + 11;
    long length = at("Kbps") - at("Buffering") - 11;
    if (start < 0 || length <= 0 || static_cast<size_t>(start) >= status.size()) return {};
    return status.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

CRealAudio::CRealAudio() = default;

CRealAudio::~CRealAudio() {
    Stop();
    if (ra_) RaShutdown(ra_);
    ra_ = nullptr;
}

void CRealAudio::FormError(int32_t error) {
    char text[256] = {};
    RaGetErrorText(error, text, sizeof text);
    char formed[320];
    std::snprintf(formed, sizeof formed, "Error #%d - %s", error, text);
    error_ = formed;
}

bool CRealAudio::Ok(int32_t result) {
    if (RaSucceeded(result)) return true;
    FormError(result);
    return false;
}

bool CRealAudio::Setup(const std::string& path) {
    void* instance = &g_moduleInstance;
    Ok(RaSetup(&instance, &ra_, 0));
    Ok(RaRegisterNotifyWnd(ra_, &window_, kNotifyMessage, -1));
    Ok(RaSetClientLocale(ra_, 0));
    if (!Ok(RaFormClientIdString(clientId_, sizeof clientId_, "RAClass", "1.0", "EN", "Prognet")) ||
        !Ok(RaSetClientId(ra_, clientId_)))
        return false;
    if (!Ok(RaOpen(ra_, 0, path.c_str(), 1, 0))) return false;
    volumeSupported_ = RaVolumeSupport(ra_, 100);
    return true;
}

void CRealAudio::Drain() {
    Notification n;
    while (window_.TryTake(n)) Handle(n);
}

void CRealAudio::Handle(const Notification& n) {
    if (n.message != kNotifyMessage) return;
    const NotifyRecord& r = n.record;
    if (r.type == kNotifyStatus) {
        switch (r.subCode) {
            case kStatusContacting:
            case kStatusPlaying: status_ = r.Text(); break;
            case kStatusBuffering:
                for (int i = 0; i < 3; ++i) {
                    char text[256] = {};
                    if (RaSucceeded(RaGetClipAttribute(ra_, i + 1, text, sizeof text)))
                        attributes_[i] = text;
                }
                status_ = r.Text();
                bitRate_ = CutBitRate(status_);
                break;
            case kStatusClipEnded:
                status_ = r.Text();
                Stop();
                break;
            default: break;
        }
    } else if (r.type == kNotifyError) {
        const auto error = static_cast<uint8_t>(r.data[0]);
        if (error != 0 && error != kRaResultAlready) {
            FormError(error);
            ShowMessage(error_.c_str(), "Error");
        }
    }
}

int32_t CRealAudio::Play(bool haveOutput) {
    if (!haveOutput) {
        playState_ = kNoOutput;
        return kCodeNoDevice;
    }
    int32_t r = RaBegin(ra_);
    if (Ok(r)) {
        playState_ = kPlaying;
        return kCodeNone;
    }
    // An output that exists but cannot be opened now: playing has failed, say so.
    if (r == kRaErrNoOutput) {
        playState_ = kNoOutput;
        return kCodeBusy;
    }
    return kCodeNone;
}

int32_t CRealAudio::SetPos(int32_t ms, bool haveOutput) {
    Ok(RaSeek(ra_, ms));
    return Play(haveOutput);
}

void CRealAudio::Stop() {
    playState_ = kStopped;
    if (ra_) Ok(RaClose(ra_));
}

void CRealAudio::Pause() {
    playState_ = kPaused;
    Ok(RaPause(ra_));
}

int32_t CRealAudio::Duration() {
    int32_t position = 0, duration = 0;
    if (!Ok(RaGetStatus(ra_, &position, &duration))) ShowMessage(error_.c_str(), "Error");
    return duration == 0 ? -1 : duration;
}

int32_t CRealAudio::State() const {
    return playState_ == kNoOutput ? HMA_STATE_ERROR : playState_;
}

int32_t CRealAudio::Position() {
    int32_t position = 0, duration = 0;
    Ok(RaGetStatus(ra_, &position, &duration));
    return position;
}

int32_t CRealAudio::GetData(int32_t code, void* buffer, int32_t size) {
    using hma::WriteText;
    if (!buffer) return 0;
    switch (code) {
        case HMA_DATA_BITRATE: return WriteText(buffer, size, bitRate_);
        case HMA_DATA_TYPE: return size >= 5 ? WriteText(buffer, size, "RA") : 0;
        case HMA_DATA_VOLUME: {
            uint32_t value = 0;
            if (size < 4) return 0;
            Ok(RaGetVolume(ra_, &value));
            int32_t volume = static_cast<int32_t>(value & 0xFFFF);
            std::memcpy(buffer, &volume, sizeof volume);
            return 1;
        }
        default: return 0;
    }
}

int32_t CRealAudio::SetData(int32_t code, const void* buffer, int32_t size) {
    if (code != HMA_DATA_VOLUME) return 1;
    if (!buffer || size < 4) return 0;
    int32_t volume;
    std::memcpy(&volume, buffer, sizeof volume);
    Ok(RaSetVolume(ra_, volume));
    return 1;
}

}  // namespace rastream
