// The simulator's HTTP server: every service under one port on 127.0.0.1, a pool of worker
// threads, fault injection in front of every route, and the block timer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "devnet/chain.h"
#include "devnet/faults.h"
#include "devnet/registry_state.h"
#include "devnet/router.h"

namespace httplib {
class Server;
} // namespace httplib

namespace devnet {

struct ServerOptions {
    int port = 0;                        // 0: any free port
    std::filesystem::path state_dir;     // empty: nothing persists
    int64_t fee_rate = DEFAULT_FEE_RATE; // satoshis per 1000 bytes
    std::string book_oracle;             // the address the "agoran" oracle index lists
    std::string report_oracle;           // the address the "report" oracle index lists
    int block_interval_s = 0;            // 0: blocks only on the admin call
    int threads = 16;                    // request workers
    Profile profile = Profile::local;    // its faults are cleared by "/admin/faults/clear" like any other
};

class DevnetServer {
public:
    explicit DevnetServer(ServerOptions options);
    ~DevnetServer();
    DevnetServer(const DevnetServer&) = delete;
    DevnetServer& operator=(const DevnetServer&) = delete;

    // Loads the state, binds 127.0.0.1 and starts serving on its own thread. False with error.
    [[nodiscard]] bool start(std::string& error);
    // Stops serving and the block timer; waits for both. Safe to call twice.
    void stop();

    int port() const { return m_port; }
    std::string base_url() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    Chain& chain() { return m_chain; }
    RegistryState& registry() { return m_registry; }
    Faults& faults() { return m_faults; }

private:
    void handle(const std::string& method, const httplib::Request& req, httplib::Response& res);
    void mine_on_timer();

    ServerOptions m_options;
    Chain m_chain;
    RegistryState m_registry;
    Faults m_faults;
    Router m_router;
    std::unique_ptr<httplib::Server> m_http;
    std::thread m_listener;
    std::thread m_miner;
    std::mutex m_stop_mutex;
    std::condition_variable m_stop_cv;
    bool m_stopping = false;
    int m_port = 0;
};

} // namespace devnet
