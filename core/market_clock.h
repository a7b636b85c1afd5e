// The time the market acts at, in Unix seconds. Posts are stamped with it and listings expire
// against it. It is the system clock unless the program fixes another moment: a tool that
// writes a market's past (agoran-cli --at) acts at each moment of that past in turn, and every
// rule that reads the time sees that moment.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// The fixed moment when one is set, else the system clock. Safe from any thread.
int64_t market_time();

// The system clock in Unix seconds, whatever moment the market is fixed at: for what happens on
// this computer now (a load's time, a cache entry's age). Safe from any thread.
int64_t system_seconds();

// Fixes the moment market_time returns; 0 or less returns to the system clock. Safe from any
// thread.
void set_market_time(int64_t unix_seconds);

// at + seconds, held at the int64_t limits instead of overflowing: times read from posts are
// whatever a poster wrote, 2^63 - 1 included. Pure.
int64_t add_seconds(int64_t at, int64_t seconds);

// "YYYY-MM-DD HH:MM" of the moment in UTC (the minute truncated). Safe from any thread.
std::string utc_minute_text(int64_t unix_seconds);

} // namespace core
