#pragma once
// The engine on libmpg123: one decoder thread per player that takes commands, decodes into a PCM
// sink and reports progress as notifications. The play position comes from the frames the sound
// output has taken; the time code is sent whenever its whole second changes.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "plugins/mpegaud/Engine.h"

struct mpg123_handle_struct;

namespace zanto::audio {
class PcmSink;
}

namespace mpegaud {

class BufferedInput;

class MpegEngine final : public Engine {
public:
    // Starts the decoder thread; throws std::system_error when it cannot.
    MpegEngine();
    ~MpegEngine() override;

    int32_t Send(int32_t command, int32_t a, int32_t b, int32_t c) override;
    int32_t SendOpenInput(const std::string& path) override;
    Mailbox& Notifications() override { return mailbox_; }
    void Free() override;

private:
    struct Command {
        int32_t code;
        int32_t a, b, c;
        std::string path;
    };

    void Run();
    // Returns false when the thread is to end.
    bool Handle(const Command& c);
    int32_t OpenInput(const std::string& path);
    void CloseInput();
    void LearnDuration();
    void Play();
    void Pause();
    void Stop();
    void Seek(int32_t ms);
    void SetVolume(int32_t volume);
    // Decodes into the sink while it has room; true when it should be called again at once.
    bool Feed();
    void SendTimecode(bool force);
    void SetState(int32_t state);
    void Fail();
    int64_t PlayedSamples();

    Mailbox mailbox_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> commands_;
    uint64_t progress_ = 0;  // bumped by the sound output whenever it has taken frames
    bool openAnswered_ = false;
    int32_t openAnswer_ = 0;
    std::thread thread_;

    // Owned by the decoder thread.
    mpg123_handle_struct* decoder_ = nullptr;
    std::unique_ptr<BufferedInput> input_;
    std::unique_ptr<zanto::audio::PcmSink> sink_;
    long rate_ = 0;
    int channels_ = 0;
    int64_t totalSamples_ = -1;
    double gain_ = 0.77;
    bool playing_ = false;   // started and not stopped (may be paused)
    bool paused_ = false;
    bool inputEnded_ = false;  // the decoder has given its last sample
    bool atEnd_ = false;       // end of input reported
    int64_t baseSample_ = 0;   // input position where the sink's count started
    int64_t lastSecond_ = -1;
};

}  // namespace mpegaud
