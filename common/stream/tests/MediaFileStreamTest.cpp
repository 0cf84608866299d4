#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "common/stream/MediaFileStream.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"

using namespace zanto::testkit;

namespace {

int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const zanto::FileError& e) {
        return e.Error();
    }
    return 0;
}

TEST(MediaFileStreamTest, ReadsSeeksAndMeasuresTheFile) {
    TempDir dir;
    Bytes bytes;
    for (int i = 0; i < 1000; ++i) bytes.push_back(uint8_t(i));
    ASSERT_TRUE(WriteFile(dir / "f.bin", bytes));
    CMediaFileStream s;
    ASSERT_EQ(s.Open((dir / "f.bin").c_str()), 1);
    EXPECT_EQ(std::string(s.GetPath()), dir / "f.bin");
    EXPECT_EQ(s.GetLength(), 1000u);

    struct Step {
        int32_t offset, origin, position;
    } steps[] = {{10, 0, 10}, {5, 1, 15}, {-3, 1, 12}, {-100, 2, 900}, {0, 2, 1000}, {0, 0, 0}};
    for (const Step& st : steps) {
        EXPECT_EQ(s.Seek(st.offset, st.origin), st.position);
        EXPECT_EQ(s.GetPosition(), uint32_t(st.position));
    }
    uint8_t buffer[16];
    s.Seek(250, 0);
    ASSERT_EQ(s.Read(buffer, 4), 4u);
    EXPECT_EQ(buffer[0], 250);
    EXPECT_EQ(buffer[3], 253);
    EXPECT_EQ(s.SeekToEnd(), 1000u);
    EXPECT_EQ(s.Read(buffer, sizeof buffer), 0u) << "end of file is not an error";
    s.Seek(-2, 2);
    EXPECT_EQ(s.Read(buffer, sizeof buffer), 2u);
    s.SeekToBegin();
    EXPECT_EQ(s.GetPosition(), 0u);

    EXPECT_EQ(ErrorOf([&] { s.Seek(-1, 0); }), EINVAL);
    EXPECT_EQ(ErrorOf([&] { s.Seek(0, 7); }), EINVAL);
    EXPECT_EQ(ErrorOf([&] { s.Read(nullptr, 4); }), EFAULT);
    EXPECT_EQ(s.GetPosition(), 0u) << "a failed seek leaves the position";
    s.Flush();
    s.Close();
    EXPECT_FALSE(s.IsOpen());
    for (auto op : std::initializer_list<std::function<void()>>{
             [&] { s.Read(buffer, 1); }, [&] { s.GetLength(); }, [&] { s.SeekToEnd(); },
             [&] { s.GetPosition(); }, [&] { s.Close(); }, [&] { s.Flush(); }})
        EXPECT_EQ(ErrorOf(op), EBADF);
    s.Abort();  // harmless on a closed stream
    EXPECT_EQ(std::string(s.GetPath()), dir / "f.bin") << "the path outlives the file";
}

TEST(MediaFileStreamTest, OpenFailsWithoutThrowing) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / "locked", Bytes(10, 1)));
    int holder = ::open((dir / "locked").c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    struct Case {
        std::string path;
        int error;
    } cases[] = {{dir / "missing", ENOENT}, {dir.Path(), EISDIR}, {dir / "locked", EACCES}};
    for (const Case& c : cases) {
        CMediaFileStream s;
        EXPECT_EQ(s.Open(c.path.c_str()), 0) << c.path;
        EXPECT_EQ(s.OpenError(), c.error) << c.path;
        EXPECT_FALSE(s.IsOpen());
        EXPECT_EQ(std::string(s.GetPath()), c.path) << "the path is recorded even so";
    }
    ::close(holder);
    CMediaFileStream s;
    EXPECT_EQ(s.Open((dir / "locked").c_str()), 1) << "readers share the file once the writer left";
    CMediaFileStream second;
    EXPECT_EQ(second.Open((dir / "locked").c_str()), 1);
}

}  // namespace
