#include "common/playback/SoundOutput.h"

#include "common/audio/PcmSink.h"

namespace zanto::playback {

namespace {

class SinkOutput final : public PcmOutput {
public:
    explicit SinkOutput(std::unique_ptr<audio::PcmSink> sink) : sink_(std::move(sink)) {}
    size_t Space() override { return sink_->Space(); }
    size_t Write(const int16_t* samples, size_t frames) override { return sink_->Write(samples, frames); }
    void Discard() override { sink_->Discard(); }
    void SetEndOfInput(bool end) override { sink_->SetEndOfInput(end); }
    bool Drained() override { return sink_->Drained(); }
    void SetPaused(bool paused) override { sink_->SetPaused(paused); }
    uint64_t FramesPlayed() override { return sink_->FramesPlayed(); }
    void ResetPlayed() override { sink_->ResetPlayed(); }

private:
    std::unique_ptr<audio::PcmSink> sink_;
};

}  // namespace

OutputFactory SoundOutput() {
    return [](int rate, int channels, std::function<void()> onProgress,
              std::string* error) -> std::unique_ptr<PcmOutput> {
        auto sink = audio::PcmSink::Open(rate, channels, std::move(onProgress), error);
        if (!sink) return nullptr;
        return std::make_unique<SinkOutput>(std::move(sink));
    };
}

}  // namespace zanto::playback
