#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/Settings.h"
#include "common/SettingsFile.h"
#include "common/testing/TempDir.h"

using namespace zanto;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_ / "settings.reg";
        setenv("ZANTO_SETTINGS", path_.c_str(), 1);
    }
    void WriteRaw(const std::string& text) { std::ofstream(path_) << text; }
    std::string ReadRaw() {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    testkit::TempDir dir_;
    std::string path_;
};

TEST_F(SettingsTest, NothingStoredGivesTheDefaults) {
    EXPECT_EQ(settings::ReadPort(), -1);
    EXPECT_FALSE(settings::ReadQuick());
    EXPECT_TRUE(settings::ReadM3u());
    EXPECT_TRUE(settings::ReadWarning());
    EXPECT_EQ(settings::ReadVolume(), 50);
    EXPECT_EQ(settings::ReadProxy(), "");
    EXPECT_EQ(settings::ReadSfmt(), "");
    EXPECT_EQ(settings::ReadLodir(), "");
}

TEST_F(SettingsTest, EveryValueRoundTripsAndKeepsTheOthers) {
    ASSERT_TRUE(settings::WritePort(0x10378));
    ASSERT_TRUE(settings::WriteQuick(true));
    ASSERT_TRUE(settings::WriteM3u(false));
    ASSERT_TRUE(settings::WriteWarning(false));
    ASSERT_TRUE(settings::WriteVolume(77));
    ASSERT_TRUE(settings::WriteProxy("proxy.example:8080"));
    ASSERT_TRUE(settings::WriteSfmt("MPEG audio (*.mp3)|*.mp3|"));
    ASSERT_TRUE(settings::WriteLodir("/home/u/Müsik \"best\"\\new\nline"));
    EXPECT_EQ(settings::ReadPort(), 0x10378);
    EXPECT_TRUE(settings::ReadQuick());
    EXPECT_FALSE(settings::ReadM3u());
    EXPECT_FALSE(settings::ReadWarning());
    EXPECT_EQ(settings::ReadVolume(), 77);
    EXPECT_EQ(settings::ReadProxy(), "proxy.example:8080");
    EXPECT_EQ(settings::ReadSfmt(), "MPEG audio (*.mp3)|*.mp3|");
    EXPECT_EQ(settings::ReadLodir(), "/home/u/Müsik \"best\"\\new\nline");
    // Human-readable, under the program's key.
    EXPECT_NE(ReadRaw().find("[Software\\Corvane\\Zanto\\Kp50]"), std::string::npos);
    EXPECT_NE(ReadRaw().find("\"volume\"=dword:0000004d"), std::string::npos);
}

TEST_F(SettingsTest, EmptyTextIsStoredAndNotTheDefault) {
    ASSERT_TRUE(WriteTextSetting(kSettingsKey, "x", ""));
    EXPECT_EQ(ReadTextSetting(kSettingsKey, "x", 16, "default"), "");
    EXPECT_EQ(ReadTextSetting(kSettingsKey, "missing", 16, "default"), "default");
}

TEST_F(SettingsTest, ValueOfTheOtherTypeReadsAsRawBytes) {
    // Text "50" is the bytes 35 30 00: read as a number, little-endian.
    ASSERT_TRUE(WriteTextSetting(kSettingsKey, "volume", "50"));
    EXPECT_EQ(settings::ReadVolume(), 0x3035);
    // More than four bytes cannot be read into a number: the default.
    ASSERT_TRUE(WriteTextSetting(kSettingsKey, "volume", "12345"));
    EXPECT_EQ(settings::ReadVolume(), 50);
    // A number read as text gives its bytes up to the first NUL.
    ASSERT_TRUE(WriteNumberSetting(kSettingsKey, "proxy", 0x00434241));
    EXPECT_EQ(settings::ReadProxy(), "ABC");
}

TEST_F(SettingsTest, TextLongerThanTheReadBufferReadsAsTheDefault) {
    std::string fits(255, 'p'), tooLong(256, 'p');
    ASSERT_TRUE(settings::WriteProxy(fits));
    EXPECT_EQ(settings::ReadProxy(), fits);
    ASSERT_TRUE(settings::WriteProxy(tooLong));
    EXPECT_EQ(settings::ReadProxy(), "");
}

TEST_F(SettingsTest, CorruptFileReadsAsDefaultsAndItsLinesSurviveAWrite) {
    const std::string junk = "garbage \x01\xff line\n[Software\\Corvane\\Zanto\\Kp50]\n"
                             "\"volume\"=dword:zz\n\"port\"=dword:00000378\n\"half\"=\"open\n";
    WriteRaw(junk);
    EXPECT_EQ(settings::ReadVolume(), 50);
    EXPECT_EQ(settings::ReadPort(), 0x378);
    ASSERT_TRUE(settings::WriteVolume(10));
    EXPECT_EQ(settings::ReadVolume(), 10);
    std::string after = ReadRaw();
    EXPECT_NE(after.find("garbage \x01\xff line"), std::string::npos);
    EXPECT_NE(after.find("\"half\"=\"open"), std::string::npos);
}

TEST_F(SettingsTest, UnwritableFolderMakesWritesFailAndReadsGiveDefaults) {
    if (geteuid() == 0) {
        // Root writes anywhere; a path below a regular file cannot be created by anyone.
        WriteRaw("x");
        setenv("ZANTO_SETTINGS", (path_ + "/below/settings.reg").c_str(), 1);
    } else {
        chmod(dir_.Path().c_str(), 0500);
    }
    EXPECT_FALSE(settings::WriteVolume(10));
    EXPECT_EQ(settings::ReadVolume(), 50);
    chmod(dir_.Path().c_str(), 0700);
}

TEST_F(SettingsTest, ConcurrentWritersFromTwoProcessesLoseNothing) {
    constexpr int kEach = 40;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < kEach; ++i)
            WriteNumberSetting(kSettingsKey, "child" + std::to_string(i), i);
        _exit(0);
    }
    for (int i = 0; i < kEach; ++i) WriteNumberSetting(kSettingsKey, "parent" + std::to_string(i), i);
    int status = 0;
    waitpid(child, &status, 0);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(ReadNumberSetting(kSettingsKey, "child" + std::to_string(i), 999), uint32_t(i));
        EXPECT_EQ(ReadNumberSetting(kSettingsKey, "parent" + std::to_string(i), 999), uint32_t(i));
    }
}

TEST(SettingsDocumentTest, SerializedFormParsesBackToTheSameValues) {
    SettingsDocument doc;
    doc.Set("K", "n", SettingsValue::Number(0xdeadbeef));
    doc.Set("K", "t", SettingsValue::Text("a\tb\x01"));
    SettingsValue bin;
    bin.bytes = {1, 2, 0, 255};
    doc.Set("Other\\Key", "b", bin);
    auto again = SettingsDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.Get("K", "n")->bytes, SettingsValue::Number(0xdeadbeef).bytes);
    EXPECT_EQ(again.Get("K", "t")->bytes, SettingsValue::Text("a\tb\x01").bytes);
    EXPECT_EQ(again.Get("Other\\Key", "b")->bytes, bin.bytes);
    EXPECT_FALSE(again.Get("K", "b").has_value());
}

}  // namespace
