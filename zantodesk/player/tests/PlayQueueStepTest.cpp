#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "zantodesk/player/PlayQueue.h"

using namespace zanto;
using namespace zanto::player;

namespace {

enum Direction { kForward, kBackward };

struct StepCase {
    const char* name;
    std::vector<uint8_t> flags;  // per entry, mode 0 order
    int position;
    Direction direction;
    PlayMode t;
    int result;
    int newPosition;
};

}  // namespace

TEST(PlayQueueStepTest, StepsInEveryMode) {
    const StepCase cases[] = {
        {"normal forward", {1, 1, 1}, 0, kForward, kPlayNormal, 1, 1},
        {"normal forward from the last fails", {1, 1, 1}, 2, kForward, kPlayNormal, -1, 2},
        {"random forward from the last fails", {1, 1, 1}, 2, kForward, kPlayRandom, -1, 2},
        {"repeat all wraps", {1, 1, 1}, 2, kForward, kPlayRepeatAll, 0, 0},
        {"random repeat wraps", {1, 1, 1}, 2, kForward, kPlayRandomRepeat, 0, 0},
        {"repeat stays", {1, 1, 1}, 2, kForward, kPlayRepeat, 2, 2},
        {"forward over unmarked", {1, 0, 1}, 0, kForward, kPlayNormal, 2, 2},
        {"forward with only unmarked after fails", {1, 0, 0}, 0, kForward, kPlayNormal, -1, 2},
        {"repeat all wraps over unmarked", {0, 1, 0}, 2, kForward, kPlayRepeatAll, 1, 1},
        {"repeat all comes back to the only marked", {0, 1, 0}, 1, kForward, kPlayRepeatAll, 1, 1},
        {"nothing marked", {0, 0, 0}, 0, kForward, kPlayRepeatAll, -1, 0},
        {"repeat on an unmarked entry ends", {1, 0, 1}, 1, kForward, kPlayRepeat, -1, 1},
        {"unknown mode fails", {1, 1}, 0, kForward, PlayMode(9), -1, 0},
        {"normal backward", {1, 1, 1}, 2, kBackward, kPlayNormal, 1, 1},
        {"normal backward from the first fails", {1, 1, 1}, 0, kBackward, kPlayNormal, -1, 0},
        {"random backward from the first fails", {1, 1, 1}, 0, kBackward, kPlayRandom, -1, 0},
        {"repeat all backward wraps", {1, 1, 1}, 0, kBackward, kPlayRepeatAll, 2, 2},
        {"random repeat backward wraps", {1, 1, 1}, 0, kBackward, kPlayRandomRepeat, 2, 2},
        {"backward over unmarked", {1, 0, 1}, 2, kBackward, kPlayNormal, 0, 0},
        {"backward wraps over unmarked", {0, 1, 0, 0}, 0, kBackward, kPlayRepeatAll, 1, 1},
        {"repeat backward on the first succeeds", {1, 1}, 0, kBackward, kPlayRepeat, 0, 0},
        {"repeat backward on an unmarked entry ends", {0, 1}, 0, kBackward, kPlayRepeat, -1, 0},
        {"backward with nothing marked", {0, 0}, 1, kBackward, kPlayRepeatAll, -1, 1},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        PlayQueue q(clock);
        for (size_t i = 0; i < c.flags.size(); ++i) {
            q.Add("e" + std::to_string(i));
            q.SetFlags(int(i), c.flags[i], IndexKind::ByEntry);
        }
        q.SetPosition(c.position, IndexKind::ByOrder);
        const int r = c.direction == kForward ? q.StepForward(c.t) : q.StepBackward(c.t);
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_EQ(q.Position(), c.newPosition) << c.name;
    }
}

TEST(PlayQueueStepTest, StepsPastTheEndAfterTheLastCurrentEntryWasRemoved) {
    FakeClock clock;
    PlayQueue q(clock);
    for (const char* p : {"a", "b", "c"}) q.Add(p);
    q.SetPosition(2, IndexKind::ByOrder);
    q.RemoveCurrent();  // the position now lies past the end
    EXPECT_EQ(q.StepForward(kPlayNormal), -1);
    EXPECT_EQ(q.StepForward(kPlayRepeatAll), 0);
    q.SetPosition(1, IndexKind::ByOrder);
    q.RemoveCurrent();
    EXPECT_EQ(q.StepBackward(kPlayNormal), 0);
    EXPECT_EQ(q.CurrentPath(), "a");
}

TEST(PlayQueueStepTest, RandomModesWalkThePlayOrder) {
    // A full cycle of Random repeat plays every marked entry exactly once, in the play order.
    FakeClock clock(123456);
    PlayQueue q(clock);
    for (int i = 0; i < 50; ++i) q.Add("e" + std::to_string(i));
    for (int i = 0; i < 50; i += 3) q.SetFlags(i, 0, IndexKind::ByEntry);
    q.SetMode(kPlayRandomRepeat);
    q.SetPosition(-1, IndexKind::ByEntry);
    const int start = q.CurrentEntry();
    std::set<int> played{start};
    for (int n = 1; n < q.CountMarked(); ++n) {
        const int r = q.StepForward(kPlayRandomRepeat);
        ASSERT_GE(r, 0);
        EXPECT_EQ(q.CurrentEntry(), q.Order()[size_t(r)]);
        EXPECT_TRUE(q.CurrentFlags() & kEntryMarked);
        played.insert(q.CurrentEntry());
    }
    EXPECT_EQ(int(played.size()), q.CountMarked());
    EXPECT_GE(q.StepForward(kPlayRandomRepeat), 0);
    EXPECT_EQ(q.CurrentEntry(), start);

    // Random (once through) stops after the last marked item of the order.
    q.SetMode(kPlayRandom);
    int last = q.Count() - 1;
    while (!(q.FlagsOf(last, IndexKind::ByOrder) & kEntryMarked)) --last;
    q.SetPosition(last, IndexKind::ByOrder);
    EXPECT_EQ(q.StepForward(kPlayRandom), -1);
}
