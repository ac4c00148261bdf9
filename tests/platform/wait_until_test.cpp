// Polling a condition on the clock, in virtual time.
#include "platform/wait_until.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(WaitUntil, ReturnsAsSoonAsTheConditionHolds) {
    platform::VirtualClock clock;
    int asked = 0;
    EXPECT_TRUE(platform::WaitUntil(clock, 30000, 100, [&] { return ++asked == 4; }));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(clock.NowMs(), 300u);
}

TEST(WaitUntil, GivesUpAfterTheTimeOutHavingAskedAtItsEnd) {
    platform::VirtualClock clock;
    std::vector<std::uint64_t> askedAt;
    EXPECT_FALSE(platform::WaitUntil(clock, 250, 100, [&] {
        askedAt.push_back(clock.NowMs());
        return false;
    }));
    EXPECT_EQ(askedAt, (std::vector<std::uint64_t>{0, 100, 200, 250}));
    EXPECT_EQ(clock.NowMs(), 250u);
}

TEST(WaitUntil, WithoutTimeAsksOnce) {
    platform::VirtualClock clock;
    int asked = 0;
    EXPECT_FALSE(platform::WaitUntil(clock, 0, 100, [&] { return ++asked > 1; }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(platform::WaitUntil(clock, 0, 100, [] { return true; }));
}

}  // namespace
