#pragma once
// The plug-in's player object: the fields the engine's notifications keep up to date, and the
// answers of the exports. Notifications are taken from the engine's mailbox at the start of every
// export (Drain), so all fields are written on the caller's thread.
#include <cstdint>
#include <memory>
#include <string>

#include "plugins/mpegaud/Engine.h"

namespace mpegaud {

class Player {
public:
    explicit Player(std::unique_ptr<Engine> engine);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Sends the engine the command to open path; 0 when it accepted.
    int32_t OpenInput(const std::string& path);
    // Keeps sample rate, bit rate, channel mode and layer type of the first frame header.
    void TakeHeader(uint32_t header);

    // Handles every notification that has arrived.
    void Drain();
    void Handle(const Notification& n, bool withVolume = true);

    void Play();
    void Stop();
    void Pause();
    int32_t Duration() const { return duration_; }
    int32_t State() const;
    int32_t Position() const { return position_; }
    void SetPos(int32_t ms);
    int32_t GetData(int32_t code, void* buffer, int32_t size) const;
    int32_t SetData(int32_t code, const void* buffer, int32_t size);
    // Stop, end the decoder thread and wait for its answer.
    void Shutdown();

    int32_t Volume() const { return volume_; }
    int32_t EngineState() const { return engineState_; }

private:
    std::unique_ptr<Engine> engine_;
    bool shutDown_ = false;
    int32_t duration_ = -1;
    int32_t engineState_ = 0;
    int32_t position_ = 0;
    uint32_t sampleRate_ = 0;
    uint32_t bitRate_ = 0;
    int channelMode_ = 0;
    int layerType_ = 0;
    int32_t volume_ = 77;
};

inline constexpr const char* kFilterText = "MPEG (*.mp3,*.mp2)|*.mp3;*.mp2|";
inline constexpr const char* kNameText = "MPEG Audio Player";

}  // namespace mpegaud
