// Collects the messages logged while it lives (every level, or one), from any thread; the sink
// that was set before comes back when it goes. add() puts in texts of the test's own, such as the
// result sentences a user reads, to be searched with the rest.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/log.h"

namespace testsupport {

class LogCapture {
public:
    explicit LogCapture(std::optional<core::LogLevel> only = std::nullopt)
    {
        m_previous = core::set_log_sink([this, only](core::LogLevel level, const std::string& text) {
            if (!only || level == *only) add(text);
        });
    }
    ~LogCapture() { core::set_log_sink(m_previous); }

    void add(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(text);
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    core::LogSink m_previous;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

} // namespace testsupport
