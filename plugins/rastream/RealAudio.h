#pragma once
// The RealAudio plug-in's player object: the engine's client connection and clip, the play state,
// and the texts the engine's notifications keep. Notifications are taken from the mailbox at the
// start of every export (Drain), so every field is written on the host's thread.
#include <cstdint>
#include <string>

#include "plugins/rastream/RaEngine.h"
#include "plugins/rastream/RaMailbox.h"

namespace rastream {

enum PlayState : int32_t { kStopped = 0, kPlaying = 1, kPaused = 2, kNoOutput = 3 };

// The library's last error codes and texts.
enum : int32_t { kCodeNone = 0, kCodeNoDevice = 100, kCodeBusy = 110 };
inline constexpr const char* kTextNoDevice = "There is no sound card";
inline constexpr const char* kTextBusy = "Already used wave-out";

class CRealAudio {
public:
    CRealAudio();
    ~CRealAudio();  // Stop, then the engine's shutdown
    CRealAudio(const CRealAudio&) = delete;
    CRealAudio& operator=(const CRealAudio&) = delete;

    // Connects to the engine and opens the clip; false when the clip cannot be played.
    bool Setup(const std::string& path);

    void Drain();
    void Handle(const Notification& n);

    // Each returns the library error code to record (kCodeNone when there is none).
    int32_t Play(bool haveOutput);
    int32_t SetPos(int32_t ms, bool haveOutput);
    void Stop();
    void Pause();
    int32_t Duration();
    int32_t State() const;
    int32_t Position();
    int32_t GetData(int32_t code, void* buffer, int32_t size);
    int32_t SetData(int32_t code, const void* buffer, int32_t size);

    // The hidden window the engine posts to.
    RaMailbox& Window() { return window_; }
    int32_t PlayStateValue() const { return playState_; }
    const std::string& StatusText() const { return status_; }
    const std::string& BitRateText() const { return bitRate_; }
    const std::string& ErrorText() const { return error_; }
    const std::string& ClipAttribute(int i) const { return attributes_[i]; }

private:
    // True when result counts as success; otherwise forms the error text.
    bool Ok(int32_t result);
    void FormError(int32_t error);

    RaMailbox window_;
    RaHandle ra_ = nullptr;
    int32_t playState_ = kStopped;
    int32_t volumeSupported_ = 0;
    char clientId_[256] = {};
    std::string status_;
    std::string bitRate_;
    std::string error_;
    std::string attributes_[3];
};

// The bit rate cut from a buffering status text: from 11 characters after "Buffring", as many
// characters as lie between "Buffering" and "Kbps" less 11 (a word not found is at -1). Empty when
// the cut falls outside the text.
std::string CutBitRate(const std::string& status);

}  // namespace rastream
