#include "plugins/mpegaud/Player.h"

#include <cstring>

#include "common/MpegHeader.h"
#include "plugins/contract/HmaPlugin.h"
#include "plugins/contract/TextAnswers.h"

namespace mpegaud {

using hma::SampleRateText;
using hma::WriteText;

Player::Player(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}

Player::~Player() {
    try {
        Shutdown();
    } catch (...) {
        // The engine's own destructor still ends and joins its thread.
    }
}

int32_t Player::OpenInput(const std::string& path) {
    return engine_->SendOpenInput(path);
}

void Player::TakeHeader(uint32_t header) {
    using namespace zanto::mpeg;
    sampleRate_ = SampleRate(header);
    bitRate_ = BitRate(header);
    channelMode_ = ChannelMode(header);
    layerType_ = Version(header) != 1 ? 0 : Layer(header) == 3 ? 1 : Layer(header) == 2 ? 2 : 0;
}

void Player::Drain() {
    if (shutDown_) return;
    Notification n;
    while (engine_->Notifications().TryTake(n)) Handle(n);
}

void Player::Handle(const Notification& n, bool withVolume) {
    switch (n.message) {
    case kNotifyState:
        engineState_ = n.word[1];
        if (engineState_ == kEngineEndOfInput) position_ = duration_;
        break;
    case kNotifyDuration: duration_ = n.word[1] * 1000; break;
    case kNotifyTimecode: position_ = ((n.word[1] * 60 + n.word[2]) * 60 + n.word[3]) * 1000; break;
    case kNotifyVolume:
        if (withVolume) volume_ = n.word[2] + 1;
        break;
    default: break;
    }
}

void Player::Play() {
    engine_->Send(kCommandPlay);
    engine_->Send(kCommandOutputVolume, 50, volume_, 3);
}

void Player::Stop() {
    if (engineState_ != 0) engine_->Send(kCommandStop);
    engineState_ = 0;
}

void Player::Pause() { engine_->Send(kCommandPause); }

int32_t Player::State() const {
    switch (engineState_) {
    case kEnginePlaying: return HMA_STATE_PLAYING;
    case kEnginePaused: return HMA_STATE_PAUSED;
    case kEngineFailed: return HMA_STATE_ERROR;
    default: return HMA_STATE_STOPPED;
    }
}

void Player::SetPos(int32_t ms) {
    engine_->Send(kCommandSeek, ms, duration_);
    position_ = ms;
}

int32_t Player::GetData(int32_t code, void* buffer, int32_t size) const {
    switch (code) {
    case HMA_DATA_SAMPLERATE: return WriteText(buffer, size, SampleRateText(sampleRate_));
    case HMA_DATA_BITRATE: return WriteText(buffer, size, std::to_string(bitRate_ / 1000));
    case HMA_DATA_TYPE:
        if (size < 5) return 0;
        return WriteText(buffer, size, layerType_ == 1 ? "MP3" : layerType_ == 2 ? "MP2" : "MPEG");
    case HMA_DATA_VOLUME:
    case HMA_DATA_STEREO: {
        if (!buffer || size < int32_t(sizeof(int32_t))) return 0;
        int32_t value = code == HMA_DATA_VOLUME ? volume_ : channelMode_ != 3 ? 1 : 0;
        std::memcpy(buffer, &value, sizeof value);
        return 1;
    }
    case HMA_DATA_FILTER: return WriteText(buffer, size, kFilterText);
    case HMA_DATA_NAME: return WriteText(buffer, size, kNameText);
    default: return 0;
    }
}

int32_t Player::SetData(int32_t code, const void* buffer, int32_t size) {
    if (code != HMA_DATA_VOLUME) return 1;
    if (!buffer || size < int32_t(sizeof(int32_t))) return 0;
    int32_t volume;
    std::memcpy(&volume, buffer, sizeof volume);
    volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    engine_->Send(kCommandOutputVolume, 50, volume, 3);
    volume_ = volume;
    return 1;
}

void Player::Shutdown() {
    if (shutDown_) return;
    Stop();
    engine_->Send(kCommandExit);
    // The engine answers the exit last; everything before it still updates the fields.
    Notification n;
    do {
        engine_->Notifications().Take(n);
        Handle(n, false);
    } while (n.message != kNotifyExited);
    engine_->Free();
    shutDown_ = true;
}

}  // namespace mpegaud
