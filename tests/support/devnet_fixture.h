// The local services simulator (agoran-devnet) for integration tests: started on port 0 in a
// fresh state folder, reached through its base URL, driven through its admin interface
// (devnet().fund(address, sats), devnet().write_services(data_dir), ...), and stopped when the
// test ends.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

class Devnet {
public:
    struct Options {
        std::filesystem::path state_dir;  // empty: a fresh temporary folder
    };

    // Starts the simulator and reads its URL line. Null (with a test failure recorded) when it
    // does not start within 10 seconds.
    static std::unique_ptr<Devnet> start(Options options);
    static std::unique_ptr<Devnet> start() { return start(Options{}); }
    ~Devnet();

    const std::string& base_url() const { return m_base_url; }  // "http://127.0.0.1:PORT"

    // Base URLs of each service, as services.json names them.
    std::string woc() const { return m_base_url + "/woc/v1/bsv/main"; }
    std::string ordinals() const { return m_base_url + "/ordinals/api"; }
    std::string content() const { return m_base_url + "/ordinals"; }
    std::string arc() const { return m_base_url + "/arc"; }
    std::string registry() const { return m_base_url + "/registry"; }

    // Writes data_dir/agoran/services.json pointing at this simulator. False on failure.
    bool write_services(const std::filesystem::path& data_dir) const;

    // Stops the process (SIGTERM); returns its exit code. restart() starts it again on the
    // same state folder (a new port).
    int stop();
    bool restart();

    // One HTTP exchange with the simulator (path after the base URL).
    struct Reply {
        int status = 0;  // 0: no answer (connection failed or broke off)
        std::string body;
        nlohmann::json json() const;  // the body parsed, or null
    };
    Reply get(const std::string& path) const;
    Reply post(const std::string& path, const std::string& body, const std::string& content_type = "application/json") const;

    // Admin helpers. Each records a test failure and returns empty when the admin call fails.
    nlohmann::json admin(const std::string& path, const nlohmann::json& body) const;
    std::string fund(const std::string& address, int64_t satoshis, bool mine = false) const;  // txid
    std::string mint(const std::string& address, const std::string& amount, const std::string& symbol = "",
                     const std::string& icon = "", const std::string& decimals = "") const;  // token id
    std::string inscribe(const std::string& address, const std::string& content_type, const std::string& content,
                         bool envelope_first = false) const;  // origin
    std::string import_tx(const std::string& hex) const;      // txid of a trusted import
    void set_identity(const std::string& handle, const std::string& pubkey) const;
    void freeze(const std::string& pubkey, const std::string& note) const;
    void set_architects(const std::vector<std::string>& pubkeys) const;
    void fault(const std::string& service, const nlohmann::json& settings) const;
    void clear_faults() const;
    int64_t mine(int blocks = 1) const;  // tip height

private:
    Devnet() = default;
    bool launch();

    std::unique_ptr<TempDir> m_temp;
    std::filesystem::path m_state_dir;
    std::unique_ptr<platform::ChildProcess> m_process;
    std::string m_base_url;
};

// A test fixture with a simulator started for each test.
class DevnetTest : public ::testing::Test {
protected:
    void SetUp() override;
    Devnet& devnet() { return *m_devnet; }

    std::unique_ptr<Devnet> m_devnet;
};

} // namespace testsupport
