// The decoder's buffered file input must behave exactly like read and lseek on the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"
#include "plugins/mpegaud/BufferedInput.h"

using namespace zanto::testkit;

namespace {

TEST(BufferedInputTest, ReadsAndSeeksLikeTheFileItself) {
    TempDir dir;
    Bytes bytes(5000);
    std::mt19937 random(7);
    for (auto& b : bytes) b = uint8_t(random());
    ASSERT_TRUE(WriteFile(dir / "f", bytes));
    mpegaud::BufferedInput input(64);  // small, so reads and seeks cross the buffer's edges
    ASSERT_TRUE(input.Open(dir / "f"));
    int fd = ::open((dir / "f").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);

    struct Step {
        off_t offset;
        int whence;  // -1: no seek, just read
        size_t read;
    } steps[] = {
        {0, -1, 10},        {0, -1, 100},      {5, SEEK_CUR, 3},   {-20, SEEK_CUR, 40},
        {0, SEEK_SET, 4},   {4000, SEEK_SET, 70}, {-10, SEEK_END, 50}, {0, -1, 8},
        {100, SEEK_END, 8}, {63, SEEK_SET, 1},  {0, SEEK_CUR, 200}, {-1, SEEK_CUR, 1},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(testing::Message() << st.offset << " " << st.whence << " " << st.read);
        if (st.whence >= 0) {
            EXPECT_EQ(input.Seek(st.offset, st.whence), lseek(fd, st.offset, st.whence));
        }
        std::vector<char> got(st.read), want(st.read);
        ssize_t n = input.Read(got.data(), got.size());
        ASSERT_EQ(n, ::read(fd, want.data(), want.size()));
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + n, want.begin()));
    }
    EXPECT_EQ(input.Seek(-1, SEEK_SET), -1);
    EXPECT_EQ(input.Seek(0, 99), -1);
    ::close(fd);
    input.Close();
    char c;
    EXPECT_EQ(input.Read(&c, 1), -1);
    EXPECT_FALSE(input.Open(dir / "missing"));
}

}  // namespace
