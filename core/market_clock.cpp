#include "core/market_clock.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace core {
namespace {

std::atomic<int64_t> g_fixed{0};

} // namespace

int64_t market_time()
{
    const int64_t fixed = g_fixed.load();
    if (fixed > 0) return fixed;
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void set_market_time(int64_t unix_seconds)
{
    g_fixed.store(unix_seconds > 0 ? unix_seconds : 0);
}

std::string utc_minute_text(int64_t unix_seconds)
{
    using namespace std::chrono;
    sys_seconds at{seconds{unix_seconds}};
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
