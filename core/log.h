// One process-wide place where the library layers report progress sentences and warnings.
// The desktop program replaces the sink at start-up (it posts the texts to its status line);
// until then warnings and errors go to standard error and progress is dropped.
// Never pass a secret (key, seed, mnemonic) to any of these functions.
#pragma once

#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace core {

enum class LogLevel { Progress, Warning, Error };

// Receives every message; called from any thread, never while the sink slot is locked.
using LogSink = std::function<void(LogLevel level, const std::string& text)>;

namespace detail {

struct LogSlot {
    std::mutex mutex;
    LogSink sink;
};

inline LogSlot& log_slot()
{
    static LogSlot slot;
    return slot;
}

inline void default_log_sink(LogLevel level, const std::string& text)
{
    if (level == LogLevel::Progress) return;
    std::cerr << (level == LogLevel::Warning ? "warning: " : "error: ") << text << '\n';
}

} // namespace detail

// Installs sink as the receiver of every later message and returns the one it replaces
// (empty when the default was active). An empty sink restores the default. Safe from any thread.
inline LogSink set_log_sink(LogSink sink)
{
    auto& slot = detail::log_slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    return std::exchange(slot.sink, std::move(sink));
}

// Hands one message to the installed sink. Empty texts are dropped. Safe from any thread.
inline void log_message(LogLevel level, std::string_view text)
{
    if (text.empty()) return;
    LogSink sink;
    {
        auto& slot = detail::log_slot();
        std::lock_guard<std::mutex> lock(slot.mutex);
        sink = slot.sink;
    }
    const std::string message(text);
    if (sink) sink(level, message);
    else detail::default_log_sink(level, message);
}

inline void log_progress(std::string_view text) { log_message(LogLevel::Progress, text); }
inline void log_warning(std::string_view text) { log_message(LogLevel::Warning, text); }
inline void log_error(std::string_view text) { log_message(LogLevel::Error, text); }

} // namespace core
