#include "plugins/rastream/RaEngine.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Paths.h"
#include "common/audio/PcmSink.h"

namespace rastream {

struct RaClient {
    void* instance = nullptr;
    RaMailbox* window = nullptr;
    uint32_t message = 0;
    int32_t locale = 0;
    std::string clientId;

    // The clip.
    std::string path;
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    int rate = 0;
    int channels = 0;
    int32_t durationMs = 0;
    int64_t bitRate = 0;
    std::string attributes[3];
    bool flushed = false;  // the decoder has been told that no more packets come
    // Where the clip's packets start in the file, every half second or so: seeking goes by this
    // index and counts samples, since clips' own timestamps are often missing or coarse.
    struct IndexEntry {
        int64_t pos;
        int64_t sample;
    };
    std::vector<IndexEntry> index;
    int64_t skipSamples = 0;  // decoded samples still to drop to reach a seek target

    // Playing. The worker owns the decoder while it runs; the API touches it only when stopped.
    std::unique_ptr<zanto::audio::PcmSink> sink;
    std::thread worker;
    int32_t base = 0;  // position at which the sink's frame count started
    bool paused = false;
    bool ended = false;
    int volume = 100;

    // Wakes the worker; the sink's progress calls take only this lock.
    std::mutex wakeMutex;
    std::condition_variable wake;
    bool quit = false;
    bool workerDone = false;
    bool workerFailed = false;
};

namespace {

void Notify(RaClient* c, const NotifyRecord& r) {
    if (c->window) c->window->Post({c->message, r});
}

void Wake(RaClient* c) {
    {
        std::lock_guard lock(c->wakeMutex);
    }
    c->wake.notify_all();
}

void CloseClip(RaClient* c) {
    if (c->resampler) swr_free(&c->resampler);
    if (c->decoder) avcodec_free_context(&c->decoder);
    if (c->format) avformat_close_input(&c->format);
    if (c->packet) av_packet_free(&c->packet);
    if (c->frame) av_frame_free(&c->frame);
    c->stream = -1;
}

std::string MetadataOf(AVDictionary* dict, std::initializer_list<const char*> keys) {
    for (const char* k : keys) {
        if (AVDictionaryEntry* e = av_dict_get(dict, k, nullptr, 0); e && e->value) return e->value;
    }
    return {};
}

int32_t PositionOf(RaClient* c) {
    if (c->ended) return c->durationMs > 0 ? c->durationMs : c->base;
    int64_t pos = c->base;
    if (c->sink && c->worker.joinable() && c->rate > 0)
        pos += static_cast<int64_t>(c->sink->FramesPlayed() * 1000 / static_cast<uint64_t>(c->rate));
    if (c->durationMs > 0) pos = std::min<int64_t>(pos, c->durationMs);
    return static_cast<int32_t>(pos);
}

// Decodes the next frame into interleaved 16-bit samples. 0 with samples, 1 at the end of the clip,
// -1 on a decoding failure.
int DecodeNext(RaClient* c, std::vector<int16_t>& out) {
    for (;;) {
        int r = avcodec_receive_frame(c->decoder, c->frame);
        if (r == 0) {
            int frames = c->frame->nb_samples;
            out.resize(static_cast<size_t>(frames) * static_cast<size_t>(c->channels));
            uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
            int got = swr_convert(c->resampler, &dst, frames,
                                  const_cast<const uint8_t**>(c->frame->extended_data), frames);
            if (got < 0) return -1;
            out.resize(static_cast<size_t>(got) * static_cast<size_t>(c->channels));
            // After a seek, what lies before the target is not heard.
            if (c->skipSamples > 0) {
                int64_t drop = std::min<int64_t>(c->skipSamples, got);
                c->skipSamples -= drop;
                out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(drop * c->channels));
            }
            av_frame_unref(c->frame);
            return 0;
        }
        if (r == AVERROR_EOF) return 1;
        if (r != AVERROR(EAGAIN)) return -1;
        if (c->flushed) return 1;
        r = av_read_frame(c->format, c->packet);
        if (r < 0) {
            avcodec_send_packet(c->decoder, nullptr);
            c->flushed = true;
            continue;
        }
        if (c->packet->stream_index == c->stream) {
            int s = avcodec_send_packet(c->decoder, c->packet);
            // A damaged packet is skipped; the decoder goes on with the next one.
            if (s < 0 && s != AVERROR(EAGAIN) && s != AVERROR_INVALIDDATA) {
                av_packet_unref(c->packet);
                return -1;
            }
        }
        av_packet_unref(c->packet);
    }
}

void ApplyVolume(std::vector<int16_t>& samples, int volume) {
    if (volume >= 100) return;
    for (int16_t& s : samples) s = static_cast<int16_t>(s * volume / 100);
}

void Work(RaClient* c) {
    std::vector<int16_t> samples;
    bool failed = false;
    for (;;) {
        {
            std::lock_guard lock(c->wakeMutex);
            if (c->quit) return;
        }
        int r = DecodeNext(c, samples);
        if (r != 0) {
            failed = r < 0;
            break;
        }
        ApplyVolume(samples, __atomic_load_n(&c->volume, __ATOMIC_RELAXED));
        size_t frames = samples.size() / static_cast<size_t>(c->channels);
        size_t done = 0;
        while (done < frames) {
            std::unique_lock lock(c->wakeMutex);
            c->wake.wait(lock, [&] { return c->quit || c->sink->Space() > 0; });
            if (c->quit) return;
            lock.unlock();
            done += c->sink->Write(samples.data() + done * static_cast<size_t>(c->channels), frames - done);
        }
    }
    c->sink->SetEndOfInput(true);
    {
        std::unique_lock lock(c->wakeMutex);
        c->wake.wait(lock, [&] { return c->quit || c->sink->Drained(); });
        if (c->quit) return;
        c->workerDone = true;
        c->workerFailed = failed;
    }
    if (failed) Notify(c, NotifyRecord::Error(kRaErrDecode));
    Notify(c, NotifyRecord::Status(kStatusClipEnded, "Clip ended"));
}

void StopWorker(RaClient* c) {
    if (!c->worker.joinable()) return;
    {
        std::lock_guard lock(c->wakeMutex);
        c->quit = true;
    }
    c->wake.notify_all();
    c->worker.join();
    c->quit = false;
}

// Moves the decoder to ms; the sink's count starts there.
bool SeekDecoder(RaClient* c, int32_t ms) {
    const int64_t target = int64_t(ms) * c->rate / 1000;
    auto at = std::upper_bound(c->index.begin(), c->index.end(), target,
                               [](int64_t t, const RaClient::IndexEntry& e) { return t < e.sample; });
    if (at != c->index.begin()) --at;
    bool ok = at != c->index.end() && avio_seek(c->format->pb, at->pos, SEEK_SET) >= 0;
    avformat_flush(c->format);
    avcodec_flush_buffers(c->decoder);
    c->flushed = false;
    c->skipSamples = ok ? target - at->sample : 0;
    c->base = ms;
    if (c->sink) {
        c->sink->Discard();
        c->sink->ResetPlayed();
        c->sink->SetEndOfInput(false);
    }
    return ok;
}

// Reads every packet once: the index and the clip's length in samples (0 when the packets do not
// tell it). The file is left at its first packet.
int64_t ScanClip(RaClient* c) {
    AVStream* st = c->format->streams[c->stream];
    int64_t samples = 0;
    c->index.clear();
    while (av_read_frame(c->format, c->packet) >= 0) {
        if (c->packet->stream_index == c->stream) {
            int64_t n = av_get_audio_frame_duration2(st->codecpar, c->packet->size);
            if (n <= 0 && c->packet->duration > 0)
                n = av_rescale_q(c->packet->duration, st->time_base, {1, c->rate});
            if (c->packet->pos >= 0 &&
                (c->index.empty() || samples - c->index.back().sample >= c->rate / 2))
                c->index.push_back({c->packet->pos, samples});
            samples += std::max<int64_t>(n, 0);
        }
        av_packet_unref(c->packet);
    }
    SeekDecoder(c, 0);
    return samples;
}

void StartWorker(RaClient* c) {
    c->workerDone = false;
    c->workerFailed = false;
    c->sink->ResetPlayed();
    c->sink->SetEndOfInput(false);
    c->worker = std::thread(Work, c);
    c->sink->SetPaused(false);
}

// The worker ended by itself at the end of the clip: keep that as the position.
void ReapWorker(RaClient* c) {
    bool done;
    {
        std::lock_guard lock(c->wakeMutex);
        done = c->workerDone;
    }
    if (done && c->worker.joinable()) {
        const int32_t at = PositionOf(c);
        c->worker.join();
        c->base = at;
        c->ended = true;
        c->sink->SetPaused(true);
    }
}

}  // namespace

int32_t RaSetup(void* const* instance, RaHandle* handle, int32_t) {
    if (!handle) return kRaErrInvalidArgument;
    auto* c = new (std::nothrow) RaClient;
    if (!c) return kRaErrNoMemory;
    c->instance = instance ? *instance : nullptr;
    *handle = c;
    return kRaOk;
}

int32_t RaRegisterNotifyWnd(RaHandle c, RaMailbox* window, uint32_t message, int32_t) {
    if (!c) return kRaErrInvalidHandle;
    c->window = window;
    c->message = message;
    return kRaOk;
}

int32_t RaSetClientLocale(RaHandle c, int32_t locale) {
    if (!c) return kRaErrInvalidHandle;
    c->locale = locale;
    return kRaOk;
}

int32_t RaFormClientIdString(char* out, int32_t size, const char* clientClass, const char* version,
                             const char* language, const char* distributor) {
    if (!out || size <= 0 || !clientClass || !version || !language || !distributor)
        return kRaErrInvalidArgument;
    int n = std::snprintf(out, static_cast<size_t>(size), "%s/%s (%s; %s)", clientClass, version,
                          language, distributor);
    return n >= 0 && n < size ? kRaOk : kRaErrInvalidArgument;
}

int32_t RaSetClientId(RaHandle c, const char* id) {
    if (!c) return kRaErrInvalidHandle;
    if (!id || !*id) return kRaErrNoClientId;
    c->clientId = id;
    return kRaOk;
}

int32_t RaOpen(RaHandle c, int32_t, const char* path, int32_t, int32_t) {
    if (!c) return kRaErrInvalidHandle;
    if (c->clientId.empty()) return kRaErrNoClientId;
    if (!path) return kRaErrInvalidArgument;
    StopWorker(c);
    c->sink.reset();
    CloseClip(c);
    av_log_set_level(AV_LOG_QUIET);
    // Only the RealMedia reader: the engine plays RealAudio and nothing else.
    const AVInputFormat* rm = av_find_input_format("rm");
    int r = avformat_open_input(&c->format, path, rm, nullptr);
    if (r < 0) return r == AVERROR(ENOENT) || r == AVERROR(EACCES) ? kRaErrFileNotFound : kRaErrInvalidClip;
    auto fail = [c](int32_t error) {
        CloseClip(c);
        return error;
    };
    if (avformat_find_stream_info(c->format, nullptr) < 0) return fail(kRaErrInvalidClip);
    const AVCodec* codec = nullptr;
    c->stream = av_find_best_stream(c->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (c->stream < 0 || !codec) return fail(kRaErrInvalidClip);
    AVStream* st = c->format->streams[c->stream];
    c->decoder = avcodec_alloc_context3(codec);
    c->packet = av_packet_alloc();
    c->frame = av_frame_alloc();
    if (!c->decoder || !c->packet || !c->frame) return fail(kRaErrNoMemory);
    if (avcodec_parameters_to_context(c->decoder, st->codecpar) < 0 ||
        avcodec_open2(c->decoder, codec, nullptr) < 0)
        return fail(kRaErrInvalidClip);
    c->rate = c->decoder->sample_rate;
    int inChannels = c->decoder->ch_layout.nb_channels;
    if (c->rate <= 0 || inChannels <= 0) return fail(kRaErrInvalidClip);
    c->channels = inChannels >= 2 ? 2 : 1;
    AVChannelLayout in{};
    if (c->decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, inChannels);
    else
        av_channel_layout_copy(&in, &c->decoder->ch_layout);
    AVChannelLayout out{};
    av_channel_layout_default(&out, c->channels);
    r = swr_alloc_set_opts2(&c->resampler, &out, AV_SAMPLE_FMT_S16, c->rate, &in,
                            c->decoder->sample_fmt, c->rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(c->resampler) < 0) return fail(kRaErrInvalidClip);

    const int64_t samples = ScanClip(c);
    if (c->index.empty()) return fail(kRaErrInvalidClip);
    if (samples > 0)
        c->durationMs = static_cast<int32_t>(samples * 1000 / c->rate);
    else if (c->format->duration != AV_NOPTS_VALUE && c->format->duration > 0)
        c->durationMs = static_cast<int32_t>(c->format->duration / 1000);
    else if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        c->durationMs = static_cast<int32_t>(av_rescale_q(st->duration, st->time_base, {1, 1000}));
    else
        c->durationMs = 0;
    c->bitRate = st->codecpar->bit_rate > 0 ? st->codecpar->bit_rate : c->format->bit_rate;
    c->attributes[0] = MetadataOf(c->format->metadata, {"title"});
    c->attributes[1] = MetadataOf(c->format->metadata, {"author", "artist"});
    c->attributes[2] = MetadataOf(c->format->metadata, {"copyright"});
    c->path = path;
    c->base = 0;
    c->ended = false;
    c->paused = false;
    return kRaOk;
}

int32_t RaBegin(RaHandle c) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    ReapWorker(c);
    if (c->worker.joinable()) {
        if (!c->paused) return kRaResultAlready;
        c->paused = false;
        c->sink->SetPaused(false);
        Notify(c, NotifyRecord::Status(kStatusPlaying, "Playing"));
        return kRaOk;
    }
    if (!c->sink) {
        std::string why;
        c->sink = zanto::audio::PcmSink::Open(c->rate, c->channels, [c] { Wake(c); }, &why);
        if (!c->sink) return kRaErrNoOutput;
    }
    // Begun again after the end, the clip plays from its start.
    if (c->ended) {
        c->ended = false;
        SeekDecoder(c, 0);
    }
    c->paused = false;
    Notify(c, NotifyRecord::Status(kStatusContacting, "Contacting " + zanto::FileNameOf(c->path)));
    char text[64];
    std::snprintf(text, sizeof text, "Buffering %lld Kbps", static_cast<long long>(c->bitRate / 1000));
    Notify(c, NotifyRecord::Status(kStatusBuffering, text));
    StartWorker(c);
    Notify(c, NotifyRecord::Status(kStatusPlaying, "Playing"));
    return kRaOk;
}

int32_t RaPause(RaHandle c) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    ReapWorker(c);
    if (!c->worker.joinable() || c->paused) return kRaResultAlready;
    c->paused = true;
    c->sink->SetPaused(true);
    Notify(c, NotifyRecord::Status(kStatusPlaying, "Paused"));
    return kRaOk;
}

int32_t RaClose(RaHandle c) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    ReapWorker(c);
    if (c->worker.joinable()) {
        int32_t at = PositionOf(c);
        StopWorker(c);
        SeekDecoder(c, at);
    }
    c->paused = false;
    c->sink.reset();
    return kRaOk;
}

int32_t RaSeek(RaHandle c, int32_t ms) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    ReapWorker(c);
    if (ms < 0) ms = 0;
    if (c->durationMs > 0) ms = std::min(ms, c->durationMs);
    const bool playing = c->worker.joinable() && !c->paused;
    StopWorker(c);
    c->ended = false;
    c->paused = false;
    bool ok = SeekDecoder(c, ms);
    if (c->sink) c->sink->SetPaused(true);
    if (playing) StartWorker(c);
    return ok ? kRaOk : kRaErrSeek;
}

int32_t RaGetStatus(RaHandle c, int32_t* position, int32_t* duration) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    ReapWorker(c);
    if (position) *position = PositionOf(c);
    if (duration) *duration = c->durationMs;
    return kRaOk;
}

int32_t RaSetVolume(RaHandle c, int32_t volume) {
    if (!c) return kRaErrInvalidHandle;
    __atomic_store_n(&c->volume, std::clamp(volume, 0, 100), __ATOMIC_RELAXED);
    return kRaOk;
}

int32_t RaGetVolume(RaHandle c, uint32_t* value) {
    if (!c) return kRaErrInvalidHandle;
    if (!value) return kRaErrInvalidArgument;
    *value = static_cast<uint32_t>(__atomic_load_n(&c->volume, __ATOMIC_RELAXED));
    return kRaOk;
}

int32_t RaVolumeSupport(RaHandle c, int32_t max) { return c && max > 0 ? 1 : 0; }

int32_t RaGetClipAttribute(RaHandle c, int32_t attribute, char* out, int32_t size) {
    if (!c) return kRaErrInvalidHandle;
    if (!c->decoder) return kRaErrNoClip;
    if (!out || size <= 0 || attribute < kRaAttrTitle || attribute > kRaAttrCopyright)
        return kRaErrInvalidArgument;
    std::snprintf(out, static_cast<size_t>(size), "%s", c->attributes[attribute - 1].c_str());
    return kRaOk;
}

int32_t RaGetErrorText(int32_t error, char* out, int32_t size) {
    if (!out || size <= 0) return kRaErrInvalidArgument;
    const char* text = "Unknown error";
    switch (error) {
        case kRaOk: text = "No error"; break;
        case kRaErrInvalidHandle: text = "Invalid client handle"; break;
        case kRaErrInvalidArgument: text = "Invalid argument"; break;
        case kRaErrNoClientId: text = "No client identity set"; break;
        case kRaErrFileNotFound: text = "The clip file cannot be opened"; break;
        case kRaErrInvalidClip: text = "The file is not a playable RealAudio clip"; break;
        case kRaErrNoClip: text = "No clip is open"; break;
        case kRaErrNoOutput: text = "The sound output cannot be opened"; break;
        case kRaErrDecode: text = "The clip could not be decoded"; break;
        case kRaErrSeek: text = "The clip cannot be positioned"; break;
        case kRaErrNoMemory: text = "Not enough memory"; break;
        case kRaResultAlready: text = "Already in that state"; break;
    }
    std::snprintf(out, static_cast<size_t>(size), "%s", text);
    return kRaOk;
}

int32_t RaShutdown(RaHandle c) {
    if (!c) return kRaErrInvalidHandle;
    StopWorker(c);
    c->sink.reset();
    CloseClip(c);
    delete c;
    return kRaOk;
}

}  // namespace rastream
