// The drive's audio on the common sound output.
#include "common/audio/PcmSink.h"
#include "common/cd/CDSoundSink.h"

namespace zanto::cd {
namespace {

class PcmSinkOutput final : public CDSoundSink {
public:
    explicit PcmSinkOutput(std::unique_ptr<audio::PcmSink> sink) : sink_(std::move(sink)) {}
    size_t Space() override { return sink_->Space(); }
    size_t Write(const int16_t* samples, size_t frames) override {
        return sink_->Write(samples, frames);
    }
    void SetEndOfInput(bool end) override { sink_->SetEndOfInput(end); }
    bool Drained() override { return sink_->Drained(); }
    void SetPaused(bool paused) override { sink_->SetPaused(paused); }
    uint64_t FramesPlayed() override { return sink_->FramesPlayed(); }

private:
    std::unique_ptr<audio::PcmSink> sink_;
};

}  // namespace

CDSinkFactory DefaultSinkFactory() {
    return [](std::function<void()> onProgress, std::string* error) -> std::unique_ptr<CDSoundSink> {
        auto sink = audio::PcmSink::Open(kCdRate, kCdChannels, std::move(onProgress), error);
        if (!sink) return nullptr;
        return std::make_unique<PcmSinkOutput>(std::move(sink));
    };
}

}  // namespace zanto::cd
