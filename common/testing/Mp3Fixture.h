#pragma once
// Encodes a real MP3 file for the tests that play sound: a sine tone, so the decoded output is
// known not to be silent. Link mp3lame to use it.
#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zanto::testkit {

struct Mp3Spec {
    double seconds = 3.0;
    int rate = 44100;
    int channels = 2;
    int kbps = 128;
    bool infoTag = true;  // write the Xing/Info frame that tells the length
    double hz = 440.0;
    double amplitude = 0.5;
};

inline bool WriteSineMp3(const std::string& path, const Mp3Spec& spec = {}) {
    lame_t lame = lame_init();
    if (!lame) return false;
    lame_set_in_samplerate(lame, spec.rate);
    lame_set_out_samplerate(lame, spec.rate);
    lame_set_num_channels(lame, spec.channels);
    lame_set_mode(lame, spec.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, spec.kbps);
    lame_set_bWriteVbrTag(lame, spec.infoTag ? 1 : 0);
    lame_set_quality(lame, 7);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int frames = static_cast<int>(spec.seconds * spec.rate);
    std::vector<short> left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        double v = spec.amplitude * std::sin(2 * M_PI * spec.hz * i / spec.rate);
        left[i] = right[i] = static_cast<short>(v * 32767);
    }
    std::vector<unsigned char> out(static_cast<size_t>(1.25 * frames + 7200));
    int n = lame_encode_buffer(lame, left.data(), right.data(), frames, out.data(), int(out.size()));
    bool ok = n >= 0;
    std::vector<unsigned char> file(out.begin(), out.begin() + (ok ? n : 0));
    if (ok) {
        n = lame_encode_flush(lame, out.data(), int(out.size()));
        ok = n >= 0;
        if (ok) file.insert(file.end(), out.begin(), out.begin() + n);
    }
    FILE* f = ok ? std::fopen(path.c_str(), "wb+") : nullptr;
    if (f) {
        ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
        // The Info frame at the start is filled in once the length is known.
        if (ok && spec.infoTag) {
            std::vector<unsigned char> tag(2880);
            size_t size = lame_get_lametag_frame(lame, tag.data(), tag.size());
            if (size > 0 && size <= tag.size()) {
                std::fseek(f, 0, SEEK_SET);
                ok = std::fwrite(tag.data(), 1, size, f) == size;
            }
        }
        ok = std::fclose(f) == 0 && ok;
    } else {
        ok = false;
    }
    lame_close(lame);
    return ok;
}

}  // namespace zanto::testkit
