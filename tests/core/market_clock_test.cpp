#include "core/market_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(MarketClock, FollowsTheSystemClockUntilFixedAndAfterRelease)
{
    core::MarketClock clock;
    core::MarketClock other;
    const int64_t before = core::system_seconds();
    const int64_t seen = clock.now();
    EXPECT_GE(seen, before);
    EXPECT_LE(seen, core::system_seconds());

    clock.fix(1'700'000'000);
    EXPECT_EQ(clock.now(), 1'700'000'000);
    EXPECT_EQ(clock.now(), 1'700'000'000);  // a fixed moment does not run on
    EXPECT_GE(other.now(), before);          // and belongs to its own clock

    clock.fix(-5);  // anything not above 0 releases it
    EXPECT_GE(clock.now(), before);
    clock.fix(1'700'000'000);
    clock.release();
    EXPECT_GE(clock.now(), before);
}

} // namespace
