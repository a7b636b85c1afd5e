#include "ui/time_text.h"

#include <ctime>
#include <mutex>

namespace ui {

std::string local_time_text(int64_t unix_seconds, const char* format)
{
    const std::time_t t = static_cast<std::time_t>(unix_seconds);
    std::tm tm{};
    {
        // std::localtime shares one buffer between callers.
        static std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
        const std::tm* local = std::localtime(&t);
        if (!local) return {};
        tm = *local;
    }
    char buffer[64];
    if (std::strftime(buffer, sizeof buffer, format, &tm) == 0) return {};
    return buffer;
}

} // namespace ui
