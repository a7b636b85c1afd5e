// Splits bytes read from a child's output into lines (shared by the per-system implementations).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

class LineBuffer {
public:
    void append(const char* data, size_t size) { m_buffer.append(data, size); }
    void mark_end() { m_ended = true; }
    [[nodiscard]] bool ended() const { return m_ended; }

    // The next complete line without "\n" or "\r\n"; after the end of output, the last
    // unterminated piece. nullopt when no line is ready yet (or none is left).
    std::optional<std::string> take_line()
    {
        size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (!m_ended || m_buffer.empty()) return std::nullopt;
        std::string line = std::move(m_buffer);
        m_buffer.clear();
        return line;
    }

private:
    std::string m_buffer;
    bool m_ended = false;
};

} // namespace platform
