#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>
#include <vector>

#include "common/ui/RegisteredEvents.h"

using namespace zanto::ui;

TEST(RegisteredEventsTest, SameNameSameNumberDifferentNamesDifferentNumbers) {
    const int create = RegisteredEventType(kMxCreateFrame);
    const int play = RegisteredEventType(kMxPlayFiles);
    EXPECT_GE(create, kFirstRegisteredEvent);
    EXPECT_LE(create, kLastRegisteredEvent);
    EXPECT_NE(create, play);
    EXPECT_EQ(RegisteredEventType(std::string("MxCreate") + "Frame"), create);
    EXPECT_EQ(RegisteredEventName(create), kMxCreateFrame);
    EXPECT_EQ(RegisteredEventName(play), kMxPlayFiles);
    // Names are told apart exactly, case included.
    EXPECT_NE(RegisteredEventType("mxcreateframe"), create);
}

TEST(RegisteredEventsTest, EmptyNameAndUnknownNumbersGiveNothing) {
    EXPECT_EQ(RegisteredEventType(""), 0);
    EXPECT_TRUE(RegisteredEventName(0).empty());
    EXPECT_TRUE(RegisteredEventName(kFirstRegisteredEvent - 1).empty());
    EXPECT_TRUE(RegisteredEventName(kLastRegisteredEvent).empty());
}

TEST(RegisteredEventsTest, ThreadsRegisteringTheSameNamesAgree) {
    const std::vector<std::string> names = {"MxThreadA", "MxThreadB", "MxThreadC", "MxThreadD"};
    std::vector<std::map<std::string, int>> seen(8);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            // Each thread starts with a different name, so first registrations race.
            for (size_t i = 0; i < names.size(); ++i) {
                const std::string& name = names[(i + t) % names.size()];
                seen[t][name] = RegisteredEventType(name);
            }
        });
    }
    for (auto& th : threads) th.join();
    std::set<int> distinct;
    for (const auto& name : names) {
        const int expected = RegisteredEventType(name);
        distinct.insert(expected);
        for (const auto& s : seen) EXPECT_EQ(s.at(name), expected) << name;
    }
    EXPECT_EQ(distinct.size(), names.size());
}
