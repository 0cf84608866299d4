#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/cd/DriveLock.h"
#include "common/testing/TempDir.h"

namespace zanto::cd {
namespace {

using std::chrono::milliseconds;

TEST(DriveLock, OneOwnerAtATimeWithTheWaitLimit) {
    testkit::TempDir dir;
    FakeClock clock;
    DriveLock first(clock, dir / "MxAudio");
    DriveLock second(clock, dir / "MxAudio");
    ASSERT_TRUE(first.Acquire(10));
    EXPECT_TRUE(first.Acquire(10));  // owning it already
    const auto before = clock.TotalSlept();
    EXPECT_FALSE(second.Acquire(10));
    EXPECT_EQ(clock.TotalSlept() - before, milliseconds(10));
    EXPECT_FALSE(second.Acquire(0));
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_TRUE(second.Acquire(0));
    EXPECT_FALSE(first.Acquire(10));
}

TEST(DriveLock, UnlimitedWaitEndsWhenTheOwnerLetsGoOrWhenGivenUp) {
    testkit::TempDir dir;
    FakeClock clock;
    DriveLock owner(clock, dir / "MxAudio");
    DriveLock waiter(clock, dir / "MxAudio");
    ASSERT_TRUE(owner.Acquire(-1));
    int tries = 0;
    EXPECT_FALSE(waiter.Acquire(-1, [&] { return ++tries == 50; }));
    EXPECT_EQ(tries, 50);
    tries = 0;
    EXPECT_TRUE(waiter.Acquire(-1, [&] {
        if (++tries == 3) owner.Release();
        return false;
    }));
    EXPECT_TRUE(waiter.Held());
}

// The lock excludes another process, and the kernel hands it on when its owner dies without
// releasing it.
TEST(DriveLock, AcrossProcessesAndReleasedWhenTheOwnerDies) {
    testkit::TempDir dir;
    const std::string path = dir / "MxAudio";
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SystemClock clock;
        DriveLock lock(clock, path);
        const char ok = lock.Acquire(0) ? 'y' : 'n';
        (void)!write(toParent[1], &ok, 1);
        char c;
        (void)!read(toChild[0], &c, 1);
        _exit(0);  // dies owning the lock
    }
    char got = 0;
    ASSERT_EQ(read(toParent[0], &got, 1), 1);
    ASSERT_EQ(got, 'y');
    FakeClock clock;
    DriveLock mine(clock, path);
    EXPECT_FALSE(mine.Acquire(10));
    const char go = 'x';
    ASSERT_EQ(write(toChild[1], &go, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(mine.Acquire(0));
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

TEST(DriveLock, UnusableLockFolderFails) {
    FakeClock clock;
    DriveLock lock(clock, "/nonexistent-folder/zanto/MxAudio");
    EXPECT_FALSE(lock.Acquire(10));
    EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace zanto::cd
