#pragma once
// A play queue, a message recorder and a folder of generated media files for the playlist tests.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"
#include "zantodesk/player/PlayQueue.h"
#include "zantodesk/playlist/PlaylistFiles.h"

namespace zanto::playlist::testkit {

struct RecordingMessages : PlaylistMessages {
    struct Shown {
        std::string text;
        unsigned type;
    };
    std::vector<Shown> shown;
    int answer = kAnswerOk;
    int Show(const std::string& text, unsigned type) override {
        shown.push_back({text, type});
        return answer;
    }
};

class PlaylistFixture : public ::testing::Test {
protected:
    FakeClock clock;
    player::PlayQueue queue{clock};
    RecordingMessages messages;
    PlaylistFiles files{queue, messages};
    zanto::testkit::TempDir dir;

    std::string Mp3(const std::string& name) {
        const std::string path = dir / name;
        zanto::testkit::WriteFile(path, zanto::testkit::MpegFrames(zanto::testkit::kMp3Header, 8));
        return path;
    }
    std::string Wav(const std::string& name) {
        const std::string path = dir / name;
        zanto::testkit::WriteFile(path, zanto::testkit::WaveFile(1, 2, 44100, 16, zanto::testkit::Bytes(64, 0)));
        return path;
    }
    std::string Text(const std::string& name, const std::string& content) {
        const std::string path = dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> out;
        for (const auto& e : queue.Entries()) out.push_back(e.path);
        return out;
    }
};

}  // namespace zanto::playlist::testkit
