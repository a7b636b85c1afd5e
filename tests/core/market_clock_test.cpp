#include "core/market_clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

int64_t system_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

TEST(MarketClock, FollowsTheSystemClockUntilFixedAndAfterRelease)
{
    const int64_t before = system_now();
    const int64_t seen = core::market_time();
    EXPECT_GE(seen, before);
    EXPECT_LE(seen, system_now());

    core::set_market_time(1'700'000'000);
    EXPECT_EQ(core::market_time(), 1'700'000'000);
    EXPECT_EQ(core::market_time(), 1'700'000'000);  // a fixed moment does not run on

    core::set_market_time(-5);  // anything not above 0 releases it
    EXPECT_GE(core::market_time(), before);
    core::set_market_time(1'700'000'000);
    core::set_market_time(0);
    EXPECT_GE(core::market_time(), before);
}

} // namespace
