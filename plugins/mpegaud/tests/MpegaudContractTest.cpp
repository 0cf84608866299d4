// The MPEG audio plug-in as a host sees it: its exports, the null-handle rules, recognition of
// files through CanBeOpen and the answers about a real file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/Mp3Fixture.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/ScopedVariable.h"
#include "common/testing/DummyAudio.h"
#include "common/testing/TempDir.h"
#include "common/testing/WaitFor.h"
#include "plugins/mpegaud/Texts.h"

using namespace zanto::testkit;

namespace {

// A stream whose every operation fails the way a host's file stream does.
struct FailingStream : CMediaStream {
    uint32_t SeekToEnd() override { throw zanto::FileError(EIO); }
    void SeekToBegin() override { throw zanto::FileError(EIO); }
    uint32_t GetPosition() override { throw zanto::FileError(EIO); }
    int32_t Seek(int32_t, int32_t) override { throw zanto::FileError(EIO); }
    uint32_t GetLength() override { throw zanto::FileError(EIO); }
    uint32_t Read(void*, uint32_t) override { throw zanto::FileError(EIO); }
    const char* GetPath() override { throw zanto::FileError(EIO); }
    void Abort() override {}
    void Flush() override { throw zanto::FileError(EIO); }
    void Close() override { throw zanto::FileError(EIO); }
};

struct MpegaudContract : ::testing::Test {
    HmaLibrary lib{MPEGAUD_PLUGIN};
    TempDir dir;
    void SetUp() override { ASSERT_TRUE(lib.Complete()) << dlerror(); }

    int32_t CanBeOpenFile(const std::string& path) {
        CMediaFileStream stream;
        stream.Open(path.c_str());
        return lib.canBeOpen(&stream);
    }
};

TEST_F(MpegaudContract, ExportsTheFifteenFunctionsAndNothingElse) {
    FILE* nm = popen("nm -D --defined-only '" MPEGAUD_PLUGIN "'", "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (std::fgets(line, sizeof line, nm)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        auto space = s.rfind(' ');
        if (space != std::string::npos) names.insert(s.substr(space + 1));
    }
    ASSERT_EQ(pclose(nm), 0);
    std::set<std::string> want(std::begin(hma::kExportNames), std::end(hma::kExportNames));
    EXPECT_EQ(names, want);
}

TEST_F(MpegaudContract, NullHandleDoesNothingAndAnswersZero) {
    EXPECT_EQ(lib.canBeOpen(nullptr), HMA_OPEN_YES);
    EXPECT_EQ(lib.open(nullptr), nullptr);
    lib.clear(nullptr);
    lib.play(nullptr);
    lib.stop(nullptr);
    lib.pause(nullptr);
    lib.setPos(nullptr, 1000);
    lib.setSpectrumArea(nullptr, 1, 2);
    EXPECT_EQ(lib.getDuration(nullptr), 0);
    EXPECT_EQ(lib.getState(nullptr), 0);
    EXPECT_EQ(lib.getPos(nullptr), 0);
    EXPECT_EQ(lib.getStream(nullptr), nullptr);
    int32_t volume = 50;
    EXPECT_EQ(lib.setData(nullptr, HMA_DATA_VOLUME, &volume, 4), 0);
    EXPECT_EQ(lib.setData(nullptr, HMA_DATA_TITLE, &volume, 4), 0);

    // Codes 8 and 9 need no handle; every other code is refused without one.
    for (int32_t code = -1; code <= 11; ++code) {
        char text[256] = "untouched";
        int32_t got = lib.getData(nullptr, code, text, sizeof text);
        SCOPED_TRACE(code);
        if (code == HMA_DATA_FILTER) {
            EXPECT_EQ(got, 1);
            EXPECT_STREQ(text, "MPEG (*.mp3,*.mp2)|*.mp3;*.mp2|");
        } else if (code == HMA_DATA_NAME) {
            EXPECT_EQ(got, 1);
            EXPECT_STREQ(text, "MPEG Audio Player");
        } else {
            EXPECT_EQ(got, 0);
            EXPECT_STREQ(text, "untouched");
        }
    }
    // Nothing recorded yet: an empty text with its NUL.
    char text[8] = "xxxxxxx";
    EXPECT_EQ(lib.getLastErrorString(nullptr, text, sizeof text), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(lib.getLastErrorString(nullptr, nullptr, 8), 0);
    EXPECT_EQ(lib.getLastErrorString(nullptr, text, 0), 0);
}

TEST_F(MpegaudContract, AStaleHandleIsTreatedAsNull) {
    int dummy = 0;
    HMA_HANDLE bogus = &dummy;
    lib.play(bogus);
    lib.clear(bogus);
    EXPECT_EQ(lib.getDuration(bogus), 0);
    EXPECT_EQ(lib.getState(bogus), 0);
    char text[64];
    EXPECT_EQ(lib.getData(bogus, HMA_DATA_TYPE, text, sizeof text), 0);
    EXPECT_EQ(dummy, 0);
}

TEST_F(MpegaudContract, RecognisesMpegAudioByItsFrames) {
    auto frames = [](int n) { return MpegFrames(kMp3Header, n); };
    Bytes ffFiller(101, 0xFF);
    Append(ffFiller, frames(8));
    Bytes id3Small = Id3Tag(777);
    Append(id3Small, frames(8));
    Bytes id3Huge = Id3Tag(20000);  // beyond the search limit: the first header decides alone
    AppendBE32(id3Huge, kMp3Header);
    id3Huge.resize(id3Huge.size() + 50, 0);
    Bytes brokenChain = frames(2);
    brokenChain.resize(brokenChain.size() + 2000, 0);
    Bytes text;
    Append(text, std::string(5000, 'a'));

    struct Case {
        const char* name;
        Bytes bytes;
        int32_t want;
    } cases[] = {
        {"frames.mp3", frames(8), HMA_OPEN_YES},
        {"mpeg2.mp3", MpegFrames(kMpeg2Header, 8), HMA_OPEN_YES},
        {"filler.mp3", ffFiller, HMA_OPEN_YES},
        {"id3.mp3", id3Small, HMA_OPEN_YES},
        {"id3huge.mp3", id3Huge, HMA_OPEN_YES},
        {"mp3wave.wav", WaveFile(0x55, 2, 44100, 0, frames(8)), HMA_OPEN_YES},
        {"pcmwave.wav", WaveFile(1, 2, 44100, 16, Bytes(8000, 0)), HMA_OPEN_NO},
        {"free.mp3", MpegFrames(0xFFFB0000, 8), HMA_OPEN_NO},
        {"broken.mp3", brokenChain, HMA_OPEN_NO},
        {"text.mp3", text, HMA_OPEN_NO},
        {"short.mp3", Bytes{0xFF, 0xFB, 0x90}, HMA_OPEN_NO},
        {"empty.mp3", Bytes{}, HMA_OPEN_NO},  // written by ofstream below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes.empty())
            std::ofstream(dir / c.name);
        else
            ASSERT_TRUE(WriteFile(dir / c.name, c.bytes));
        EXPECT_EQ(CanBeOpenFile(dir / c.name), c.want);
    }
    EXPECT_EQ(CanBeOpenFile(dir / "missing.mp3"), HMA_OPEN_NO);
    FailingStream failing;
    EXPECT_EQ(lib.canBeOpen(&failing), HMA_OPEN_NO);
    EXPECT_EQ(lib.LastError(), "") << "recognition failures record no text";
}

TEST_F(MpegaudContract, NoSoundOutputIsReportedBeforeTheFileIsLookedAt) {
    ASSERT_TRUE(WriteFile(dir / "a.mp3", MpegFrames(kMp3Header, 8)));
    ASSERT_TRUE(WriteFile(dir / "b.txt", Bytes(100, 'b')));
    {
        ScopedVariable driver("SDL_AUDIODRIVER", "no-such-driver");
        EXPECT_EQ(CanBeOpenFile(dir / "a.mp3"), HMA_OPEN_ERROR);
        EXPECT_EQ(CanBeOpenFile(dir / "b.txt"), HMA_OPEN_ERROR);
        EXPECT_EQ(lib.canBeOpen(nullptr), HMA_OPEN_YES) << "a host still recognises the plug-in";
    }
    EXPECT_EQ(lib.LastError(), mpegaud::kTextNoDevice);
    EXPECT_EQ(lib.LastError(reinterpret_cast<HMA_HANDLE>(0x1234)), mpegaud::kTextNoDevice);
    // The text is copied without running past the buffer.
    char small[10];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(lib.getLastErrorString(nullptr, small, 6), 6);
    EXPECT_STREQ(small, "There");
    EXPECT_EQ(small[6], 'x');

    EXPECT_EQ(CanBeOpenFile(dir / "a.mp3"), HMA_OPEN_YES) << "with the device back";
}

TEST_F(MpegaudContract, AnOutputThatCannotBeOpenedIsReportedAfterRecognition) {
    // The file writer starts as a driver but cannot open its output file: a device that is
    // there and cannot be had.
    ASSERT_TRUE(WriteFile(dir / "a.mp3", MpegFrames(kMp3Header, 8)));
    ASSERT_TRUE(WriteFile(dir / "b.txt", Bytes(100, 'b')));
    ScopedVariable driver("SDL_AUDIODRIVER", "disk");
    ScopedVariable file("SDL_DISKAUDIOFILE", (dir / "no-such-folder/out.raw").c_str());
    EXPECT_EQ(CanBeOpenFile(dir / "b.txt"), HMA_OPEN_NO) << "the file is looked at first";
    EXPECT_EQ(lib.LastError(), "");
    EXPECT_EQ(CanBeOpenFile(dir / "a.mp3"), HMA_OPEN_ERROR);
    EXPECT_EQ(lib.LastError(), mpegaud::kTextDeviceBusy);
}

TEST_F(MpegaudContract, OpenRefusesWhatTheEngineCannotDecode) {
    ASSERT_TRUE(WriteFile(dir / "text.mp3", Bytes(5000, 'a')));
    for (std::string path : {dir / "text.mp3", dir / "missing.mp3"}) {
        CMediaStream* stream = new CMediaFileStream;
        stream->CMediaStream::Open(path.c_str());
        EXPECT_EQ(lib.open(stream), nullptr) << path;
        EXPECT_EQ(lib.LastError(), mpegaud::kTextCannotOpenInput);
        delete stream;
    }
}

TEST_F(MpegaudContract, AnswersAboutARealFile) {
    struct Case {
        const char* name;
        ToneMp3 tone;
        int32_t duration;
        const char* rate;
        const char* kbps;
        const char* type;
        int32_t stereo;
        bool inWave;  // the MP3 data inside a RIFF WAVE file of format 0x55
    } cases[] = {
        {"info.mp3", {3.0, 44100, 2, 128, true}, 3000, "44.1", "128", "MP3", 1, false},
        {"scan.mp3", {2.4, 44100, 2, 128, false}, 2000, "44.1", "128", "MP3", 1, false},
        {"mono.mp3", {1.6, 22050, 1, 32, false}, 2000, "22.0", "32", "MPEG", 0, false},
        {"mp3.wav", {2.0, 44100, 2, 128, false}, 2000, "44.1", "128", "MP3", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteSineMp3(dir / c.name, c.tone));
        if (c.inWave) {
            std::ifstream in(dir / c.name, std::ios::binary);
            Bytes mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_TRUE(WriteFile(dir / c.name, WaveFile(0x55, 2, 44100, 0, mp3)));
        }
        CMediaFileStream stream;
        ASSERT_TRUE(stream.Open((dir / c.name).c_str()));
        ASSERT_EQ(lib.canBeOpen(&stream), HMA_OPEN_YES);
        HMA_HANDLE h = lib.open(&stream);
        ASSERT_NE(h, nullptr);
        int32_t first = lib.getDuration(h);
        EXPECT_TRUE(first == -1 || first == c.duration) << first;
        EXPECT_TRUE(WaitFor([&] { return lib.getDuration(h) >= 0; }));
        EXPECT_EQ(lib.getDuration(h), c.duration);
        EXPECT_EQ(lib.getState(h), HMA_STATE_STOPPED);
        EXPECT_EQ(lib.getPos(h), 0);
        char text[HMA_ITEM_TEXT_SIZE];
        EXPECT_EQ(lib.getData(h, HMA_DATA_SAMPLERATE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.rate);
        EXPECT_EQ(lib.getData(h, HMA_DATA_BITRATE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.kbps);
        EXPECT_EQ(lib.getData(h, HMA_DATA_TYPE, text, sizeof text), 1);
        EXPECT_STREQ(text, c.type);
        EXPECT_EQ(lib.getData(h, HMA_DATA_TITLE, text, sizeof text), 0);
        EXPECT_EQ(lib.getData(h, HMA_DATA_FORMAT, text, sizeof text), 0);
        int32_t value = -1;
        EXPECT_EQ(lib.getData(h, HMA_DATA_STEREO, &value, 4), 1);
        EXPECT_EQ(value, c.stereo);
        EXPECT_EQ(lib.getData(h, HMA_DATA_VOLUME, &value, 4), 1);
        EXPECT_EQ(value, 77);
        value = 33;
        EXPECT_EQ(lib.setData(h, HMA_DATA_VOLUME, &value, 4), 1);
        EXPECT_EQ(lib.setData(h, HMA_DATA_TITLE, &value, 4), 1);
        value = -1;
        EXPECT_EQ(lib.getData(h, HMA_DATA_VOLUME, &value, 4), 1);
        EXPECT_EQ(value, 33);
        EXPECT_EQ(lib.getStream(h), nullptr);
        lib.setSpectrumArea(h, 10, 20);
        lib.stop(h);
        lib.clear(h);
        EXPECT_EQ(lib.getDuration(h), 0) << "a cleared handle is no longer followed";
    }
}

}  // namespace
