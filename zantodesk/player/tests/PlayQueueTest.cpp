#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "zantodesk/player/PlayQueue.h"

using namespace zanto;
using namespace zanto::player;

namespace {

std::vector<uint16_t> Seq(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

void Fill(PlayQueue& q, int n) {
    for (int i = 0; i < n; ++i) q.Add("e" + std::to_string(i));
}

std::vector<std::string> Paths(const PlayQueue& q) {
    std::vector<std::string> out;
    for (const auto& e : q.Entries()) out.push_back(e.path);
    return out;
}

bool IsPermutation(const PlayQueue& q) {
    std::vector<uint16_t> sorted = q.Order();
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < sorted.size(); ++i)
        if (sorted[i] != i) return false;
    return int(sorted.size()) == q.Count();
}

}  // namespace

TEST(PlayQueueRandomTest, FollowsTheClassicGenerator) {
    PlayQueueRandom r;
    r.Seed(1);
    std::vector<int> got;
    for (int i = 0; i < 7; ++i) got.push_back(r.Next());
    EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478}));
    r.Seed(0xFFFFFFFFu);  // the state wraps in 32 bits
    int v = r.Next();
    EXPECT_GE(v, 0);
    EXPECT_LE(v, PlayQueueRandom::kMax);
}

TEST(PlayQueueTest, AddingToAnEmptyQueueStartsAtTheFirstEntry) {
    FakeClock clock;
    PlayQueue q(clock);
    EXPECT_EQ(q.Position(), -1);
    EXPECT_EQ(q.CurrentEntry(), -1);
    EXPECT_EQ(q.Add("a"), 0);
    EXPECT_EQ(q.Add("b"), 1);
    EXPECT_EQ(q.Add("c"), 2);
    EXPECT_EQ(q.Order(), Seq({0, 1, 2}));
    EXPECT_EQ(q.Position(), 0);
    EXPECT_EQ(q.CurrentPath(), "a");
    EXPECT_EQ(q.CountMarked(), 3);
    EXPECT_EQ(q.CountSelected(), 0);
    EXPECT_EQ(q.CurrentFlags(), kEntryMarked);
}

TEST(PlayQueueTest, InsertKeepsListOrderAndTheCurrentEntry) {
    struct Case {
        const char* name;
        int count, position, at;
        int result;
        std::vector<std::string> paths;
        int newPosition;
    } cases[] = {
        {"into empty queue", 0, -1, 0, 0, {"new"}, 0},
        {"before current", 3, 2, 0, 0, {"new", "e0", "e1", "e2"}, 3},
        {"at current", 3, 1, 1, 1, {"e0", "new", "e1", "e2"}, 2},
        {"after current", 3, 0, 2, 2, {"e0", "e1", "new", "e2"}, 0},
        {"append", 3, 2, 3, 3, {"e0", "e1", "e2", "new"}, 2},
        {"negative index refused", 2, 0, -1, -1, {"e0", "e1"}, 0},
        {"past the end refused", 2, 0, 3, -1, {"e0", "e1"}, 0},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        PlayQueue q(clock);
        Fill(q, c.count);
        if (c.position >= 0) q.SetPosition(c.position, IndexKind::ByOrder);
        EXPECT_EQ(q.Insert(c.at, "new"), c.result) << c.name;
        EXPECT_EQ(Paths(q), c.paths) << c.name;
        EXPECT_EQ(q.Position(), c.newPosition) << c.name;
        std::vector<uint16_t> identity(c.paths.size());
        std::iota(identity.begin(), identity.end(), 0);
        EXPECT_EQ(q.Order(), identity) << c.name;
        EXPECT_EQ(q.CountMarked(), int(c.paths.size())) << c.name;
    }
}

TEST(PlayQueueTest, RandomModeInsertsAfterThePosition) {
    // Seed 1 draws 41 first: with the position on 0 of three items the new one goes to
    // 1 + 41 % 2 = 2.
    FakeClock clock(1);
    PlayQueue q(clock);
    Fill(q, 3);
    q.SetMode(kPlayRandom);
    q.SetPosition(0, IndexKind::ByOrder);
    const auto before = q.Order();
    EXPECT_EQ(q.Add("x"), 3);
    auto expected = before;
    expected.insert(expected.begin() + 2, 3);
    EXPECT_EQ(q.Order(), expected);
    EXPECT_EQ(q.Position(), 0);

    // Over many seconds it lands on 1 or 2, never before or at the position.
    std::vector<int> seen(5);
    for (int s = 0; s < 64; ++s) {
        FakeClock c2(1000 + s);
        PlayQueue r(c2);
        Fill(r, 3);
        r.SetMode(kPlayRandom);
        r.SetPosition(0, IndexKind::ByOrder);
        r.Add("x");
        ++seen[size_t(std::find(r.Order().begin(), r.Order().end(), 3) - r.Order().begin())];
        EXPECT_TRUE(IsPermutation(r));
    }
    EXPECT_EQ(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
    EXPECT_EQ(seen[3], 0);
}

TEST(PlayQueueTest, RandomModeAppendsWhenOnTheLastItemOrPastTheEnd) {
    FakeClock clock;
    PlayQueue q(clock);
    Fill(q, 3);
    q.SetMode(kPlayRandomRepeat);
    q.SetPosition(2, IndexKind::ByOrder);
    q.Add("x");
    EXPECT_EQ(q.Order().back(), 3);
    EXPECT_EQ(q.Position(), 2);

    // Removing the current last item leaves the position past the end; a later add must still
    // land inside the order.
    q.SetPosition(3, IndexKind::ByOrder);
    q.RemoveCurrent();
    EXPECT_EQ(q.Position(), 3);
    EXPECT_EQ(q.CurrentEntry(), -1);
    q.Add("y");
    EXPECT_TRUE(IsPermutation(q));
    EXPECT_EQ(q.Order().back(), 3);
}

TEST(PlayQueueTest, ShuffleFollowsTheGeneratorAndPutsTheCurrentEntryFirst) {
    // Seed 1 draws 41, 18467, 6334, 26500, 19169: modulo 5 that is 1, 2, 4, 0, 4, which turns
    // 0 1 2 3 4 into 3 2 4 1 0.
    struct Case {
        int current;  // entry to make current, -1 for none
        std::vector<uint16_t> order;
        int position;
    } cases[] = {
        {-1, Seq({3, 2, 4, 1, 0}), -1},
        {2, Seq({2, 3, 4, 1, 0}), 0},
        {0, Seq({0, 2, 4, 1, 3}), 0},
    };
    for (const auto& c : cases) {
        FakeClock clock(1);
        PlayQueue q(clock);
        Fill(q, 5);
        if (c.current < 0) {
            for (int i = 0; i < 5; ++i) q.SetFlags(i, 0, IndexKind::ByEntry);
            EXPECT_EQ(q.SetPosition(-1, IndexKind::ByEntry), -1);
        } else {
            q.SetPosition(c.current, IndexKind::ByEntry);
        }
        EXPECT_TRUE(q.SetMode(kPlayRandom));
        EXPECT_EQ(q.Order(), c.order) << c.current;
        EXPECT_EQ(q.Position(), c.position) << c.current;
    }
}

TEST(PlayQueueTest, SwitchingModesKeepsTheCurrentEntry) {
    FakeClock clock;
    PlayQueue q(clock);
    Fill(q, 3);
    q.SetPosition(2, IndexKind::ByEntry);
    q.SetMode(kPlayRandom);
    EXPECT_EQ(q.Order()[0], 2);
    EXPECT_EQ(q.Position(), 0);
    EXPECT_TRUE(IsPermutation(q));
    q.SetMode(kPlayNormal);
    EXPECT_EQ(q.Order(), Seq({0, 1, 2}));
    EXPECT_EQ(q.Position(), 2);
    EXPECT_EQ(q.Mode(), kPlayNormal);

    EXPECT_FALSE(q.SetMode(PlayMode(5)));
    EXPECT_FALSE(q.SetMode(PlayMode(-1)));
    EXPECT_EQ(q.Mode(), kPlayNormal);
}

TEST(PlayQueueTest, ShuffleDependsOnTheCalendarSecond) {
    auto shuffled = [](int64_t seconds) {
        FakeClock clock(seconds);
        PlayQueue q(clock);
        Fill(q, 40);
        q.SetMode(kPlayRandom);
        return q.Order();
    };
    EXPECT_EQ(shuffled(5000), shuffled(5000));
    EXPECT_NE(shuffled(5000), shuffled(5001));
}

TEST(PlayQueueTest, RemoveAdjustsPositionAndRenumbers) {
    struct Case {
        const char* name;
        PlayMode mode;
        int position;  // by order
        int index;
        IndexKind kind;
        int newPosition;
        std::vector<std::string> paths;
    } cases[] = {
        {"before current, by order", kPlayNormal, 2, 0, IndexKind::ByOrder, 1, {"e1", "e2", "e3"}},
        {"before current, by entry", kPlayNormal, 2, 1, IndexKind::ByEntry, 1, {"e0", "e2", "e3"}},
        {"current keeps the number", kPlayNormal, 1, 1, IndexKind::ByOrder, 1, {"e0", "e2", "e3"}},
        {"after current", kPlayNormal, 1, 3, IndexKind::ByEntry, 1, {"e0", "e1", "e2"}},
        {"out of range ignored", kPlayNormal, 1, 4, IndexKind::ByOrder, 1, {"e0", "e1", "e2", "e3"}},
        {"negative ignored", kPlayNormal, 1, -1, IndexKind::ByEntry, 1, {"e0", "e1", "e2", "e3"}},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        PlayQueue q(clock);
        Fill(q, 4);
        q.SetMode(c.mode);
        q.SetPosition(c.position, IndexKind::ByOrder);
        q.Remove(c.index, c.kind);
        EXPECT_EQ(q.Position(), c.newPosition) << c.name;
        EXPECT_EQ(Paths(q), c.paths) << c.name;
        EXPECT_TRUE(IsPermutation(q)) << c.name;
        EXPECT_EQ(q.CountMarked(), int(c.paths.size())) << c.name;
    }
}

TEST(PlayQueueTest, RemoveInRandomModeKeepsEveryOtherEntryInItsPlace) {
    FakeClock clock(77);
    PlayQueue q(clock);
    Fill(q, 8);
    q.SetMode(kPlayRandom);
    q.SetPosition(4, IndexKind::ByOrder);
    const std::string current = q.CurrentPath();
    std::vector<std::string> playOrder;
    for (uint16_t e : q.Order()) playOrder.push_back(q.PathOf(e, IndexKind::ByEntry));

    // Remove the entry at order place 1 (before the current one) by its entry index.
    const std::string gone = playOrder[1];
    q.Remove(q.Order()[1], IndexKind::ByEntry);
    playOrder.erase(playOrder.begin() + 1);
    std::vector<std::string> now;
    for (uint16_t e : q.Order()) now.push_back(q.PathOf(e, IndexKind::ByEntry));
    EXPECT_EQ(now, playOrder);
    EXPECT_EQ(q.CurrentPath(), current);
    EXPECT_EQ(q.Position(), 3);
    EXPECT_TRUE(IsPermutation(q));
}

TEST(PlayQueueTest, RemovingTheLastEntryLeavesNoPosition) {
    FakeClock clock;
    PlayQueue q(clock);
    q.Add("only");
    q.RemoveCurrent();
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(q.Position(), -1);
    EXPECT_EQ(q.CurrentEntry(), -1);
    EXPECT_EQ(q.CurrentPath(), "");
    q.RemoveCurrent();  // nothing to remove
    EXPECT_EQ(q.Count(), 0);
}

TEST(PlayQueueTest, SetPosition) {
    struct Case {
        const char* name;
        std::vector<uint8_t> flags;
        int start, index;
        IndexKind kind;
        int result, position;
    } cases[] = {
        {"first marked", {0, 0, 1, 1}, 0, -1, IndexKind::ByEntry, 0, 2},
        {"first marked, asked by order", {0, 1, 1, 1}, 3, -1, IndexKind::ByOrder, 3, 1},
        {"none marked", {0, 0}, 1, -1, IndexKind::ByEntry, -1, -1},
        {"by order", {1, 1, 1}, 0, 2, IndexKind::ByOrder, 0, 2},
        {"by entry", {1, 1, 1}, 2, 1, IndexKind::ByEntry, 2, 1},
        {"unknown entry changes nothing", {1, 1, 1}, 2, 7, IndexKind::ByEntry, 2, 2},
        {"order index outside", {1, 1, 1}, 1, 9, IndexKind::ByOrder, 1, 1},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        PlayQueue q(clock);
        Fill(q, int(c.flags.size()));
        for (size_t i = 0; i < c.flags.size(); ++i) q.SetFlags(int(i), c.flags[i], IndexKind::ByEntry);
        q.SetPosition(c.start, IndexKind::ByOrder);
        EXPECT_EQ(q.SetPosition(c.index, c.kind), c.result) << c.name;
        EXPECT_EQ(q.Position(), c.position) << c.name;
    }
}

TEST(PlayQueueTest, FlagsKeepTheCountsAndAnswerByEitherIndex) {
    FakeClock clock(1);
    PlayQueue q(clock);
    Fill(q, 5);
    q.SetMode(kPlayRandom);
    const int entry = q.Order()[3];
    EXPECT_EQ(q.SetFlags(3, kEntryMarked | kEntrySelected, IndexKind::ByOrder), kEntryMarked);
    EXPECT_EQ(q.FlagsOf(entry, IndexKind::ByEntry), kEntryMarked | kEntrySelected);
    EXPECT_EQ(q.PathOf(3, IndexKind::ByOrder), q.PathOf(entry, IndexKind::ByEntry));
    EXPECT_EQ(q.CountSelected(), 1);
    EXPECT_EQ(q.SetFlags(entry, kEntrySelected, IndexKind::ByEntry), kEntryMarked | kEntrySelected);
    EXPECT_EQ(q.CountMarked(), 4);
    EXPECT_EQ(q.CountSelected(), 1);
    q.Remove(entry, IndexKind::ByEntry);
    EXPECT_EQ(q.CountMarked(), 4);
    EXPECT_EQ(q.CountSelected(), 0);
    EXPECT_EQ(q.SetFlags(99, 1, IndexKind::ByEntry), 0);
    EXPECT_EQ(q.FlagsOf(-2, IndexKind::ByOrder), 0);
    EXPECT_EQ(q.PathOf(99, IndexKind::ByOrder), "");
    q.Clear();
    EXPECT_EQ(q.CountMarked(), 0);
    EXPECT_EQ(q.CountSelected(), 0);
    EXPECT_EQ(q.Position(), -1);
    EXPECT_TRUE(q.Order().empty());
}

TEST(PlayQueueTest, RefusesEntriesBeyondSixteenBitIndices) {
    FakeClock clock;
    PlayQueue q(clock);
    for (int i = 0; i < PlayQueue::kMaxEntries; ++i) ASSERT_EQ(q.Add("f"), i);
    EXPECT_EQ(q.Add("one too many"), -1);
    EXPECT_EQ(q.Insert(0, "one too many"), -1);
    EXPECT_EQ(q.Count(), PlayQueue::kMaxEntries);
    EXPECT_EQ(q.Order().back(), 65535);
    q.SetMode(kPlayRandom);
    EXPECT_TRUE(IsPermutation(q));
}

TEST(PlayQueueTest, MixedOperationsKeepTheInvariants) {
    // A long run of operations in every mode: the order stays a permutation, the counts match
    // the flags, and changes elsewhere in the list never change which entry is current.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        FakeClock clock(seed);
        PlayQueue q(clock);
        PlayQueueRandom pick;
        pick.Seed(seed * 7919);
        for (int step = 0; step < 400; ++step) {
            const int op = pick.Next() % 8;
            const int n = q.Count();
            const std::string current = q.CurrentPath();
            const int currentEntry = q.CurrentEntry();
            bool keepsCurrent = currentEntry >= 0;
            switch (op) {
                case 0:
                case 1:
                    q.Add("p" + std::to_string(step));
                    break;
                case 2:
                    q.Insert(n ? pick.Next() % (n + 1) : 0, "i" + std::to_string(step));
                    break;
                case 3:
                    if (n) {
                        int e = pick.Next() % n;
                        if (e == currentEntry) keepsCurrent = false;
                        q.Remove(e, IndexKind::ByEntry);
                    }
                    break;
                case 4:
                    q.SetMode(PlayMode(pick.Next() % 5));
                    break;
                case 5:
                    if (n) q.SetFlags(pick.Next() % n, uint8_t(pick.Next() % 4), IndexKind::ByEntry);
                    break;
                case 6:
                    keepsCurrent = false;
                    if (pick.Next() % 2)
                        q.StepForward(PlayMode(pick.Next() % 5));
                    else
                        q.StepBackward(PlayMode(pick.Next() % 5));
                    break;
                case 7:
                    keepsCurrent = false;
                    if (n) q.SetPosition(pick.Next() % n, IndexKind::ByOrder);
                    break;
            }
            ASSERT_TRUE(IsPermutation(q)) << "seed " << seed << " step " << step;
            int marked = 0, selected = 0;
            for (const auto& e : q.Entries()) {
                marked += e.flags & kEntryMarked ? 1 : 0;
                selected += e.flags & kEntrySelected ? 1 : 0;
            }
            ASSERT_EQ(q.CountMarked(), marked);
            ASSERT_EQ(q.CountSelected(), selected);
            ASSERT_GE(q.Position(), -1);
            ASSERT_LE(q.Position(), q.Count());
            if (keepsCurrent) {
                ASSERT_EQ(q.CurrentPath(), current) << "seed " << seed << " step " << step;
            }
        }
    }
}
