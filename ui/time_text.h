// Unix times as the windows show them, in the computer's local time. Safe from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

// The time formatted with strftime's format in local time; "" when it cannot be shown.
std::string local_time_text(int64_t unix_seconds, const char* format);

// A formatter of times: local_time_text in the program, a fixed zone in tests.
using TimeFormatter = std::function<std::string(int64_t unix_seconds, const char* format)>;

} // namespace ui
