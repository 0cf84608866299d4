#include "plugins/mpegaud/MpegEngine.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "common/audio/PcmSink.h"
#include "plugins/mpegaud/BufferedInput.h"

namespace mpegaud {

namespace {
void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}
constexpr size_t kDecodeChunk = 65536;  // bytes per mpg123_read at most
}  // namespace

MpegEngine::MpegEngine() {
    InitLibrary();
    thread_ = std::thread([this] { Run(); });
}

MpegEngine::~MpegEngine() {
    if (thread_.joinable()) {
        Send(kCommandExit, 0, 0, 0);
        thread_.join();
    }
}

void MpegEngine::Free() {
    if (thread_.joinable()) thread_.join();
}

int32_t MpegEngine::Send(int32_t command, int32_t a, int32_t b, int32_t c) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(Command{command, a, b, c, {}});
    }
    wake_.notify_all();
    return 0;
}

int32_t MpegEngine::SendOpenInput(const std::string& path) {
    std::unique_lock lock(mutex_);
    openAnswered_ = false;
    commands_.push_back(Command{kCommandOpenInput, 0, 0, 0, path});
    wake_.notify_all();
    wake_.wait(lock, [&] { return openAnswered_; });
    return openAnswer_;
}

void MpegEngine::Run() {
    for (;;) {
        std::deque<Command> pending;
        uint64_t seen;
        {
            std::lock_guard lock(mutex_);
            pending.swap(commands_);
            seen = progress_;
        }
        for (const Command& c : pending) {
            if (!Handle(c)) {
                sink_.reset();
                CloseInput();
                mailbox_.Post(Notification{kNotifyExited, {}});
                return;
            }
        }
        bool again = false;
        if (playing_ && !paused_ && sink_) {
            if (!inputEnded_) again = Feed();
            SendTimecode(false);
            if (inputEnded_ && sink_ && sink_->Drained()) {
                playing_ = false;
                atEnd_ = true;
                SetState(kEngineEndOfInput);
                // Closing lets the device play out its last period first: report the end before.
                sink_.reset();
            }
        }
        if (!again) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return !commands_.empty() || progress_ != seen; });
        }
    }
}

bool MpegEngine::Handle(const Command& c) {
    switch (c.code) {
    case kCommandPlay: Play(); break;
    case kCommandPause: Pause(); break;
    case kCommandStop: Stop(); break;
    case kCommandSeek: Seek(c.a); break;
    case kCommandExit: return false;
    case kCommandOpenInput: {
        int32_t answer = OpenInput(c.path);
        {
            std::lock_guard lock(mutex_);
            openAnswer_ = answer;
            openAnswered_ = true;
        }
        wake_.notify_all();
        if (answer == 0) LearnDuration();
        break;
    }
    case kCommandOutputVolume: SetVolume(c.b); break;
    default: break;
    }
    return true;
}

int32_t MpegEngine::OpenInput(const std::string& path) {
    sink_.reset();
    CloseInput();
    playing_ = paused_ = inputEnded_ = atEnd_ = false;
    int err = MPG123_OK;
    decoder_ = mpg123_new(nullptr, &err);
    if (!decoder_) return -1;
    mpg123_param(decoder_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    input_ = std::make_unique<BufferedInput>();
    if (mpg123_replace_reader_handle(decoder_, &BufferedInput::ReadHook, &BufferedInput::SeekHook,
                                     nullptr) != MPG123_OK ||
        !input_->Open(path)) {
        CloseInput();
        return -1;
    }
    // The first look tells the stream's format; the output is then held to it (later frames of
    // another rate or channel count are converted), so one sink serves the whole item.
    if (mpg123_open_handle(decoder_, input_.get()) != MPG123_OK) {
        CloseInput();
        return -1;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(decoder_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        CloseInput();
        return -1;
    }
    mpg123_close(decoder_);
    mpg123_format_none(decoder_);
    if (mpg123_format(decoder_, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK ||
        input_->Seek(0, SEEK_SET) != 0 || mpg123_open_handle(decoder_, input_.get()) != MPG123_OK ||
        mpg123_getformat(decoder_, &rate, &channels, &encoding) != MPG123_OK) {
        CloseInput();
        return -1;
    }
    rate_ = rate;
    channels_ = channels;
    mpg123_volume(decoder_, gain_);
    baseSample_ = 0;
    lastSecond_ = 0;
    SetState(kEngineStopped);
    return 0;
}

void MpegEngine::CloseInput() {
    if (decoder_) {
        mpg123_close(decoder_);
        mpg123_delete(decoder_);
        decoder_ = nullptr;
    }
    input_.reset();
    totalSamples_ = -1;
}

void MpegEngine::LearnDuration() {
    // A Xing or VBRI header makes the length exact at once; without one every frame is counted.
    long accurate = 0;
    double unused = 0;
    if (mpg123_getstate(decoder_, MPG123_ACCURATE, &accurate, &unused) != MPG123_OK || !accurate)
        mpg123_scan(decoder_);
    off_t length = mpg123_length(decoder_);
    mpg123_seek(decoder_, 0, SEEK_SET);
    if (length < 0) return;
    totalSamples_ = length;
    auto seconds = static_cast<int32_t>(std::llround(double(length) / double(rate_)));
    mailbox_.Post(Notification{kNotifyDuration, {0, seconds, 0, 0}});
}

void MpegEngine::Play() {
    if (!decoder_) return;
    if (atEnd_) Seek(0);
    if (!sink_) {
        std::string error;
        sink_ = zanto::audio::PcmSink::Open(
            int(rate_), channels_,
            [this] {
                {
                    std::lock_guard lock(mutex_);
                    ++progress_;
                }
                wake_.notify_all();
            },
            &error);
        if (!sink_) {
            Fail();
            return;
        }
    }
    playing_ = true;
    paused_ = false;
    sink_->SetPaused(false);
    SetState(kEnginePlaying);
}

void MpegEngine::Pause() {
    if (!playing_ || paused_) return;
    paused_ = true;
    if (sink_) sink_->SetPaused(true);
    SendTimecode(false);
    SetState(kEnginePaused);
}

void MpegEngine::Stop() {
    sink_.reset();
    playing_ = paused_ = false;
    if (decoder_) {
        Seek(0);
        SendTimecode(true);
    }
    SetState(kEngineStopped);
}

void MpegEngine::Seek(int32_t ms) {
    if (!decoder_) return;
    int64_t target = std::max<int64_t>(0, int64_t(ms) * rate_ / 1000);
    if (totalSamples_ >= 0) target = std::min(target, totalSamples_);
    off_t reached = mpg123_seek(decoder_, off_t(target), SEEK_SET);
    baseSample_ = reached >= 0 ? int64_t(reached) : target;
    inputEnded_ = false;
    atEnd_ = false;
    if (sink_) {
        sink_->Discard();
        sink_->ResetPlayed();
        sink_->SetEndOfInput(false);
    }
    // The position asked for is kept by the plug-in; the next time code follows playback.
    lastSecond_ = baseSample_ / rate_;
}

void MpegEngine::SetVolume(int32_t volume) {
    volume = std::clamp(volume, 0, 100);
    gain_ = volume / 100.0;
    if (decoder_) mpg123_volume(decoder_, gain_);
    mailbox_.Post(Notification{kNotifyVolume, {0, 50, volume - 1, 3}});
}

bool MpegEngine::Feed() {
    // Decodes straight into the sink's free space.
    const size_t frameBytes = size_t(channels_) * sizeof(int16_t);
    size_t frames = 0;
    int16_t* space = sink_->Reserve(kDecodeChunk / frameBytes, &frames);
    if (frames == 0) return false;  // full: wait until the device has taken some
    size_t done = 0;
    int rc = mpg123_read(decoder_, space, frames * frameBytes, &done);
    sink_->Commit(done / frameBytes);
    if (rc == MPG123_DONE || (rc == MPG123_OK && done == 0)) {
        inputEnded_ = true;
        sink_->SetEndOfInput(true);
        return false;
    }
    if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
        Fail();
        return false;
    }
    return true;
}

int64_t MpegEngine::PlayedSamples() {
    return baseSample_ + (sink_ ? int64_t(sink_->FramesPlayed()) : 0);
}

void MpegEngine::SendTimecode(bool force) {
    if (rate_ <= 0) return;
    int64_t second = PlayedSamples() / rate_;
    if (!force && second == lastSecond_) return;
    lastSecond_ = second;
    auto s = int32_t(second);
    mailbox_.Post(Notification{kNotifyTimecode, {0, s / 3600, s / 60 % 60, s % 60}});
}

void MpegEngine::SetState(int32_t state) {
    mailbox_.Post(Notification{kNotifyState, {0, state, 0, 0}});
}

void MpegEngine::Fail() {
    sink_.reset();
    playing_ = paused_ = false;
    SetState(kEngineFailed);
}

}  // namespace mpegaud
