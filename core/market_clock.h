// The time the market acts at, in Unix seconds. Posts are stamped with it and listings expire
// against it. It is the system clock unless the program fixes another moment: a tool that
// writes a market's past acts at each moment of that past in turn, agoran-cli --at acts at the
// moment it is given, and every rule that reads the time sees that moment. Each program's
// session owns one; two sessions in one process each act at their own moment.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace core {

// The system clock in Unix seconds, whatever moment a market is fixed at: for what happens on
// this computer now (a load's time, a cache entry's age). Safe from any thread.
int64_t system_seconds();

// The market's moment: the system clock until fixed. Safe from any thread.
class MarketClock {
public:
    MarketClock() = default;
    MarketClock(const MarketClock&) = delete;
    MarketClock& operator=(const MarketClock&) = delete;

    // The fixed moment when one is set, else system_seconds().
    [[nodiscard]] int64_t now() const;
    // Fixes the moment now() returns; 0 or less releases it.
    void fix(int64_t unix_seconds);
    // Returns to the system clock.
    void release() { fix(0); }

private:
    std::atomic<int64_t> m_fixed{0};
};

// at + seconds, held at the int64_t limits instead of overflowing: times read from posts are
// whatever a poster wrote, 2^63 - 1 included. Pure.
int64_t add_seconds(int64_t at, int64_t seconds);

// "YYYY-MM-DD HH:MM" of the moment in UTC (the minute truncated). Safe from any thread.
std::string utc_minute_text(int64_t unix_seconds);

} // namespace core
