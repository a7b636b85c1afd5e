// An HTTP server inside the test process, on 127.0.0.1 and a free port, for the HTTP client's
// edge cases. Register routes on server(), then start().
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <httplib.h>

namespace nettest {

class LocalServer {
public:
    LocalServer() = default;
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;
    ~LocalServer()
    {
        m_server.stop();
        if (m_thread.joinable()) m_thread.join();
    }

    httplib::Server& server() { return m_server; }

    // Binds and serves; requests may be sent as soon as this returns (the socket listens).
    void start()
    {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // stop() before the accept loop runs would be lost and the join would hang.
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    int port() const { return m_port; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

} // namespace nettest
