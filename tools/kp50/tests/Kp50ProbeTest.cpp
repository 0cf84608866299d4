#include <gtest/gtest.h>

#include <string>

#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"
#include "tools/kp50/tests/ToolRun.h"

using namespace zanto::testkit;

namespace {

ToolRun Kp50(const std::string& args) {
    static TempDir work;
    return RunKp50(work.Path(), args);
}

TEST(Kp50ProbeTest, PrintsHeadersAsTextAndJson) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / "a.mp3", MpegFrames(kMp3Header, 8)));
    ASSERT_TRUE(WriteFile(dir / "b.txt", Bytes(100, 'x')));

    ToolRun text = Kp50("probe " + (dir / "a.mp3") + " " + (dir / "b.txt"));
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("header fffb9044 MPEG-1 Layer III, 128000 bit/s, 44100 Hz, joint stereo, frame 417 bytes"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("b.txt: header 0"), std::string::npos) << text.out;

    ToolRun json = Kp50("probe --json " + (dir / "a.mp3") + " " + (dir / "b.txt"));
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("{\"path\":\"" + (dir / "a.mp3") +
                            "\",\"header\":4294676548,\"mpeg\":true,\"version\":1,\"layer\":3,"
                            "\"bitrate\":128000,\"samplerate\":44100,\"channel_mode\":1,"
                            "\"frame_length\":417}"),
              std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"mpeg\":false"), std::string::npos);
}

TEST(Kp50ProbeTest, UnreadableFileExitsOneAndGoesOn) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / "a.mp3", MpegFrames(kMp3Header, 8)));
    ToolRun r = Kp50("probe " + (dir / "missing.mp3") + " " + (dir / "a.mp3"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("a.mp3: header fffb9044"), std::string::npos);
    EXPECT_EQ(Kp50("probe").status, 2);
    EXPECT_EQ(Kp50("no-such-command").status, 2);
}

}  // namespace
