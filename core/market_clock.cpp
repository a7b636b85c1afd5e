#include "core/market_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace core {

int64_t system_seconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

int64_t MarketClock::now() const
{
    const int64_t fixed = m_fixed.load();
    return fixed > 0 ? fixed : system_seconds();
}

void MarketClock::fix(int64_t unix_seconds)
{
    m_fixed.store(unix_seconds > 0 ? unix_seconds : 0);
}

int64_t add_seconds(int64_t at, int64_t seconds)
{
    constexpr int64_t MAX = std::numeric_limits<int64_t>::max();
    constexpr int64_t MIN = std::numeric_limits<int64_t>::min();
    if (seconds > 0 && at > MAX - seconds) return MAX;
    if (seconds < 0 && at < MIN - seconds) return MIN;
    return at + seconds;
}

std::string utc_minute_text(int64_t unix_seconds)
{
    using namespace std::chrono;
    // Held to the years 1970..9999, so that a hostile time cannot overflow the calendar arithmetic.
    constexpr int64_t LAST = 253402300799;  // 9999-12-31 23:59:59
    sys_seconds at{seconds{std::clamp<int64_t>(unix_seconds, 0, LAST)}};
    sys_days day = floor<days>(at);
    year_month_day ymd{day};
    auto minutes_in = duration_cast<minutes>(at - day).count();
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<long long>(minutes_in / 60), static_cast<long long>(minutes_in % 60));
    return text;
}

} // namespace core
