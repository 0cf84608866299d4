// kp50 probe: the first MPEG frame header of each file.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/Json.h"
#include "common/MediaProbe.h"
#include "common/MpegHeader.h"
#include "tools/kp50/Command.h"

namespace {

using namespace zanto;

void PrintText(const std::string& path, uint32_t h) {
    if (!mpeg::IsValidHeader(h)) {
        std::printf("%s: header 0 (not MPEG audio)\n", path.c_str());
        return;
    }
    std::printf("%s: header %08x MPEG-%d Layer %s, %u bit/s, %u Hz, %s, frame %u bytes\n",
                path.c_str(), h, mpeg::Version(h),
                mpeg::Layer(h) == 1 ? "I" : mpeg::Layer(h) == 2 ? "II" : "III", mpeg::BitRate(h),
                mpeg::SampleRate(h), mpeg::ChannelModeName(mpeg::ChannelMode(h)),
                mpeg::FrameLength(h));
}

void PrintJson(const std::string& path, uint32_t h) {
    if (!mpeg::IsValidHeader(h)) {
        std::printf("{\"path\":%s,\"header\":0,\"mpeg\":false,\"version\":null,\"layer\":null,"
                    "\"bitrate\":null,\"samplerate\":null,\"channel_mode\":null,"
                    "\"frame_length\":null}\n",
                    JsonQuote(path).c_str());
        return;
    }
    std::printf("{\"path\":%s,\"header\":%u,\"mpeg\":true,\"version\":%d,\"layer\":%d,"
                "\"bitrate\":%u,\"samplerate\":%u,\"channel_mode\":%d,\"frame_length\":%u}\n",
                JsonQuote(path).c_str(), h, mpeg::Version(h), mpeg::Layer(h), mpeg::BitRate(h),
                mpeg::SampleRate(h), mpeg::ChannelMode(h), mpeg::FrameLength(h));
}

int Run(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    bool options = true;
    for (const auto& a : args) {
        if (options && a == "--json")
            json = true;
        else if (options && a == "--")
            options = false;
        else if (options && a.size() > 1 && a[0] == '-') {
            kp50::Fail("probe", "unknown option " + a);
            return 2;
        } else
            files.push_back(a);
    }
    if (files.empty()) {
        kp50::Fail("probe", "no file named (usage: kp50 probe [--json] FILE...)");
        return 2;
    }
    int status = 0;
    for (const auto& path : files) {
        ProbeResult r = ProbeMpegFileDetailed(path);
        if (r.error) {
            kp50::Fail("probe", path + ": " + std::strerror(r.error));
            status = 1;
            continue;
        }
        json ? PrintJson(path, r.header) : PrintText(path, r.header);
    }
    std::fflush(stdout);
    return status;
}

const kp50::Registration reg({"probe", "[--json] FILE...",
                              "print the first MPEG audio frame header of each file", Run});

}  // namespace
