// The playback device with the WAVE reader, played through an output the test steps by hand:
// status answers, what comes out, pause, seek, end of item and the rule that a failed command
// closes the device.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "common/playback/PlaybackDevice.h"
#include "common/playback/WaveDecoder.h"
#include "common/testing/FakePcmOutput.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"

using namespace zanto;
using namespace zanto::playback;
using testkit::Bytes;
using testkit::FakePcmOutput;

namespace {

const DeviceType kWave{"waveaudio", true, &WaveDecoder::Open};

// Ramp samples that tell every sample apart: sample k of the data holds k.
Bytes Ramp16(size_t frames, int channels) {
    Bytes b;
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) testkit::AppendLE16(b, uint16_t(i * channels + c));
    return b;
}

struct DeviceFixture : testing::Test {
    testkit::TempDir dir;
    FakePcmOutput* output = nullptr;  // owned by the device once opened
    bool refuseOutput = false;
    size_t capacity = 1000;
    PlaybackDevice device{[this](int rate, int channels, std::function<void()> progress,
                                 std::string* why) -> std::unique_ptr<PcmOutput> {
        if (refuseOutput) {
            *why = "busy";
            return nullptr;
        }
        auto out = std::make_unique<FakePcmOutput>(rate, channels, capacity, std::move(progress));
        output = out.get();
        return out;
    }};

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir / name;
        EXPECT_TRUE(testkit::WriteFile(path, bytes));
        return path;
    }
    uint32_t Status(StatusItem item) {
        uint32_t v = 0xDEADBEEF;
        EXPECT_EQ(device.Status(item, &v), kDeviceOk);
        return v;
    }
    Mode CurrentMode() { return static_cast<Mode>(Status(StatusItem::Mode)); }
    // Consumes frames as they are fed until n were taken.
    void Hear(size_t n) {
        size_t taken = 0;
        ASSERT_TRUE(testkit::WaitFor([&] {
            taken += output->Consume(n - taken);
            return taken == n;
        }));
    }
};

TEST_F(DeviceFixture, StatusAnswersTheFileFormatAndLength) {
    struct Case {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        uint32_t frames;
        uint32_t lengthMs;
    };
    for (const Case& c : {Case{1, 11025, 8, 11025, 1000}, Case{2, 44100, 16, 66150, 1500},
                          Case{1, 22050, 16, 2205, 100}, Case{2, 8000, 8, 12345, 1543}}) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " Hz " << c.bits);
        Bytes data(size_t(c.frames) * c.channels * c.bits / 8, 0x80);
        std::string path = Write("a.wav", testkit::WaveFile(1, c.channels, c.rate, c.bits, data));
        ASSERT_EQ(device.Open(kWave, path), kDeviceOk);
        ASSERT_EQ(device.SetTimeFormat(TimeFormat::Milliseconds), kDeviceOk);
        EXPECT_EQ(Status(StatusItem::Length), c.lengthMs);
        EXPECT_EQ(Status(StatusItem::Position), 0u);
        EXPECT_EQ(CurrentMode(), Mode::Stop);
        EXPECT_EQ(Status(StatusItem::Channels), c.channels);
        EXPECT_EQ(Status(StatusItem::SamplesPerSec), c.rate);
        EXPECT_EQ(Status(StatusItem::AvgBytesPerSec), c.rate * c.channels * c.bits / 8);
        EXPECT_EQ(Status(StatusItem::BitsPerSample), c.bits);
        EXPECT_EQ(Status(StatusItem::FormatTag), 1u);
        EXPECT_EQ(device.Close(), kDeviceOk);
    }
}

TEST_F(DeviceFixture, PlaysEverySampleOnceAndStopsAtTheLength) {
    // 8-bit samples become 16-bit around zero; 16-bit ones pass unchanged.
    Bytes eight = {0x00, 0x80, 0xFF, 0x81};
    ASSERT_EQ(device.Open(kWave, Write("8.wav", testkit::WaveFile(1, 1, 8000, 8, eight))), kDeviceOk);
    ASSERT_EQ(device.Play(), kDeviceOk);
    Hear(4);
    EXPECT_EQ(output->Heard(), (std::vector<int16_t>{-32768, 0, 32512, 256}));
    device.Close();

    const size_t frames = 4410;  // 100 ms of stereo at 44100 Hz
    ASSERT_EQ(device.Open(kWave, Write("16.wav", testkit::WaveFile(1, 2, 44100, 16, Ramp16(frames, 2)))),
              kDeviceOk);
    ASSERT_EQ(device.Play(), kDeviceOk);
    EXPECT_EQ(CurrentMode(), Mode::Play);
    Hear(frames / 2);
    EXPECT_EQ(Status(StatusItem::Position), 50u);
    EXPECT_EQ(CurrentMode(), Mode::Play);
    Hear(frames / 2);
    ASSERT_TRUE(testkit::WaitFor([&] { return CurrentMode() == Mode::Stop; }));
    EXPECT_EQ(Status(StatusItem::Position), 100u);
    std::vector<int16_t> heard = output->Heard();
    ASSERT_EQ(heard.size(), frames * 2);
    for (size_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], int16_t(i)) << i;
    EXPECT_TRUE(output->Paused());

    // Played again from the end, nothing is left: it stops at the end at once.
    EXPECT_EQ(device.Play(), kDeviceOk);
    ASSERT_TRUE(testkit::WaitFor([&] { return CurrentMode() == Mode::Stop; }));
    EXPECT_EQ(Status(StatusItem::Position), 100u);
    EXPECT_EQ(output->Heard().size(), frames * 2);
}

TEST_F(DeviceFixture, PauseHoldsThePositionAndPlayResumesThere) {
    const size_t frames = 8000;  // one second of mono 16-bit at 8000 Hz
    ASSERT_EQ(device.Open(kWave, Write("p.wav", testkit::WaveFile(1, 1, 8000, 16, Ramp16(frames, 1)))),
              kDeviceOk);
    ASSERT_EQ(device.Play(), kDeviceOk);
    Hear(2000);
    ASSERT_EQ(device.Pause(), kDeviceOk);
    EXPECT_EQ(CurrentMode(), Mode::Pause);
    EXPECT_EQ(Status(StatusItem::Position), 250u);
    EXPECT_EQ(output->Consume(100), 0u) << "a paused output takes nothing";
    EXPECT_EQ(Status(StatusItem::Position), 250u);

    ASSERT_EQ(device.Play(), kDeviceOk);
    EXPECT_EQ(CurrentMode(), Mode::Play);
    Hear(1);
    EXPECT_EQ(output->Heard().back(), 2000) << "resumes with the frame after the last one heard";
}

TEST_F(DeviceFixture, SeekStopsMovesAndPlayStartsFromThere) {
    const size_t frames = 8000;
    ASSERT_EQ(device.Open(kWave, Write("s.wav", testkit::WaveFile(1, 1, 8000, 16, Ramp16(frames, 1)))),
              kDeviceOk);
    ASSERT_EQ(device.Play(), kDeviceOk);
    Hear(100);

    struct Case {
        uint32_t seekMs;
        uint32_t position;
        int16_t firstFrame;  // the frame heard first after the following Play; -1: none
    };
    for (const Case& c : {Case{500, 500, 4000}, Case{0, 0, 0}, Case{999, 999, 7992},
                          Case{5000, 1000, -1}}) {
        SCOPED_TRACE(c.seekMs);
        ASSERT_EQ(device.Seek(c.seekMs), kDeviceOk);
        EXPECT_EQ(CurrentMode(), Mode::Stop);
        EXPECT_EQ(Status(StatusItem::Position), c.position);
        EXPECT_EQ(output->Queued(), 0u) << "what was queued before the seek is dropped";
        ASSERT_EQ(device.Play(), kDeviceOk);
        if (c.firstFrame < 0) {
            ASSERT_TRUE(testkit::WaitFor([&] { return CurrentMode() == Mode::Stop; }));
            EXPECT_EQ(Status(StatusItem::Position), 1000u);
            continue;
        }
        size_t before = output->Heard().size();
        Hear(1);
        EXPECT_EQ(output->Heard()[before], c.firstFrame);
    }
}

TEST_F(DeviceFixture, AFailedCommandClosesTheDeviceAndLaterCommandsFail) {
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t error;
    };
    Bytes avi = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    Bytes mp3wave = testkit::WaveFile(0x55, 2, 44100, 0, Bytes(100, 0));
    Bytes twentyFour = testkit::WaveFile(1, 2, 44100, 24, Bytes(600, 0));
    Bytes badRate = testkit::WaveFile(1, 1, 0, 16, Bytes(600, 0));
    for (const Case& c : {Case{"missing", {}, kDeviceFileNotFound}, Case{"avi", avi, kDeviceInvalidFile},
                          Case{"mp3", mp3wave, kDeviceInvalidFile},
                          Case{"24bit", twentyFour, kDeviceInvalidFile},
                          Case{"rate0", badRate, kDeviceInvalidFile}}) {
        SCOPED_TRACE(c.name);
        std::string path = c.bytes.empty() ? dir / "nothing.wav" : Write(c.name, c.bytes);
        EXPECT_EQ(device.Open(kWave, path), c.error);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.LastError(), c.error);
        uint32_t v = 77;
        EXPECT_EQ(device.Status(StatusItem::Length, &v), kDeviceNotOpen);
        EXPECT_EQ(v, 77u) << "a failed status leaves the answer alone";
        EXPECT_EQ(device.Play(), kDeviceNotOpen);
        EXPECT_EQ(device.LastError(), kDeviceNotOpen);
    }

    // A device without a wave format refuses those items, and that failure closes it too.
    const DeviceType plain{"sequencer", false, &WaveDecoder::Open};
    std::string wav = Write("ok.wav", testkit::WaveFile(1, 1, 8000, 16, Ramp16(80, 1)));
    ASSERT_EQ(device.Open(plain, wav), kDeviceOk);
    uint32_t v = 0;
    EXPECT_EQ(device.Status(StatusItem::Length, &v), kDeviceOk);
    EXPECT_EQ(device.Status(StatusItem::SamplesPerSec, &v), kDeviceUnsupportedItem);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.Status(StatusItem::Length, &v), kDeviceNotOpen);

    // No sound output at Play: the command fails and the device closes.
    refuseOutput = true;
    ASSERT_EQ(device.Open(kWave, wav), kDeviceOk);
    EXPECT_EQ(device.Play(), kDeviceOutputUnavailable);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastError(), kDeviceOutputUnavailable);
}

TEST_F(DeviceFixture, AFileCutShortPlaysWhatItHolds) {
    // The data chunk announces 8000 frames, the file holds 800 and half of one.
    Bytes file = testkit::WaveFile(1, 1, 8000, 16, Ramp16(8000, 1));
    file.resize(file.size() - (8000 - 800) * 2 + 1);
    ASSERT_EQ(device.Open(kWave, Write("cut.wav", file)), kDeviceOk);
    EXPECT_EQ(Status(StatusItem::Length), 100u);
    ASSERT_EQ(device.Play(), kDeviceOk);
    Hear(800);
    ASSERT_TRUE(testkit::WaitFor([&] { return CurrentMode() == Mode::Stop; }));
    EXPECT_EQ(Status(StatusItem::Position), 100u);
}

}  // namespace
