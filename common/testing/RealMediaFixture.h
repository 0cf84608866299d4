#pragma once
// RealAudio 1.0 (14.4 kbit/s class, 8 kHz mono) clips made by the tests with FFmpeg's own encoder:
// a RealMedia file through FFmpeg's muxer, and a RealAudio file whose ".ra" header is written by
// hand around the same encoded frames.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/testing/MpegFixtures.h"

namespace zanto::testkit {

// The encoded frames of a 440 Hz tone (20 bytes for each 160 samples).
inline std::vector<Bytes> Ra144Frames(double seconds) {
    std::vector<Bytes> frames;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RA_144);
    if (!codec) return frames;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = 8000;
    ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->bit_rate = 8000;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (avcodec_open2(ctx, codec, nullptr) == 0) {
        const int count = static_cast<int>(seconds * 8000 / ctx->frame_size);
        auto drain = [&] {
            while (avcodec_receive_packet(ctx, packet) == 0) {
                frames.emplace_back(packet->data, packet->data + packet->size);
                av_packet_unref(packet);
            }
        };
        for (int i = 0; i < count; ++i) {
            frame->nb_samples = ctx->frame_size;
            frame->format = ctx->sample_fmt;
            frame->sample_rate = 8000;
            av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
            if (av_frame_get_buffer(frame, 0) < 0) break;
            auto* s = reinterpret_cast<int16_t*>(frame->data[0]);
            for (int k = 0; k < ctx->frame_size; ++k) {
                int n = i * ctx->frame_size + k;
                s[k] = static_cast<int16_t>(std::sin(2 * M_PI * 440.0 * n / 8000.0) * 12000);
            }
            frame->pts = int64_t(i) * ctx->frame_size;
            avcodec_send_frame(ctx, frame);
            av_frame_unref(frame);
            drain();
        }
        avcodec_send_frame(ctx, nullptr);
        drain();
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return frames;
}

// A RealMedia file (".RMF" signature) of a tone, with a title.
inline bool WriteRealMedia(const std::string& path, double seconds, const char* title = "Tone") {
    std::vector<Bytes> frames = Ra144Frames(seconds);
    if (frames.empty()) return false;
    AVFormatContext* oc = nullptr;
    if (avformat_alloc_output_context2(&oc, nullptr, "rm", path.c_str()) < 0) return false;
    bool ok = false;
    AVStream* st = avformat_new_stream(oc, nullptr);
    if (st) {
        st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        st->codecpar->codec_id = AV_CODEC_ID_RA_144;
        st->codecpar->sample_rate = 8000;
        av_channel_layout_default(&st->codecpar->ch_layout, 1);
        st->codecpar->bit_rate = 8000;
        st->codecpar->block_align = 20;
        st->codecpar->frame_size = 160;  // the muxer times its packets by it
        st->time_base = {1, 8000};
        av_dict_set(&oc->metadata, "title", title, 0);
        av_dict_set(&oc->metadata, "author", "Zanto tests", 0);
        if (avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0) {
            ok = avformat_write_header(oc, nullptr) >= 0;
            AVPacket* p = av_packet_alloc();
            for (size_t i = 0; ok && i < frames.size(); ++i) {
                ok = av_new_packet(p, static_cast<int>(frames[i].size())) == 0;
                if (!ok) break;
                std::copy(frames[i].begin(), frames[i].end(), p->data);
                p->stream_index = st->index;
                p->flags |= AV_PKT_FLAG_KEY;
                p->pts = p->dts = av_rescale_q(int64_t(i) * 160, {1, 8000}, st->time_base);
                p->duration = av_rescale_q(160, {1, 8000}, st->time_base);
                ok = av_write_frame(oc, p) >= 0;
                av_packet_unref(p);
            }
            av_packet_free(&p);
            ok = ok && av_write_trailer(oc) >= 0;
            avio_closep(&oc->pb);
        }
    }
    avformat_free_context(oc);
    return ok;
}

// A RealAudio version 3 header (".ra" 0xFD) written by hand, followed by frames.
inline Bytes RealAudio3(const std::vector<Bytes>& frames, const std::string& title = "Hand made") {
    Bytes fields;
    fields.resize(8, 0);
    const uint16_t bytesPerMinute = 60000;  // 8000 bit/s
    fields.push_back(uint8_t(bytesPerMinute >> 8));
    fields.push_back(uint8_t(bytesPerMinute));
    fields.resize(fields.size() + 4, 0);
    for (const std::string& s : {title, std::string("Zanto tests"), std::string(), std::string()}) {
        fields.push_back(uint8_t(s.size()));
        Append(fields, s);
    }
    fields.push_back(0);
    fields.push_back(4);
    Append(fields, "lpcJ");
    Bytes b = {'.', 'r', 'a', 0xFD, 0, 3};
    b.push_back(uint8_t(fields.size() >> 8));
    b.push_back(uint8_t(fields.size()));
    Append(b, fields);
    for (const Bytes& f : frames) Append(b, f);
    return b;
}

}  // namespace zanto::testkit
