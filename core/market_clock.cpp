#include "core/market_clock.h"

#include <atomic>
#include <chrono>
#include <limits>

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

int64_t add_seconds(int64_t at, int64_t seconds)
{
    constexpr int64_t MAX = std::numeric_limits<int64_t>::max();
    constexpr int64_t MIN = std::numeric_limits<int64_t>::min();
    if (seconds > 0 && at > MAX - seconds) return MAX;
    if (seconds < 0 && at < MIN - seconds) return MIN;
    return at + seconds;
}

} // namespace core
