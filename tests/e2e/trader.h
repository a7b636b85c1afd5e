// A trader of the end-to-end tests: a data directory of its own (its own LOCALAPPDATA), a Pursa
// stand-in wallet made by the `pursa` program, and every market action through `agoran-cli`
// child processes, so that two traders never share the process-wide wallet state.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/secure.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "wallet/hd_derive.h"

namespace e2e {

struct Outcome {
    int code = -1;    // exit status; -1 when it did not finish in time
    std::string out;  // standard output
    std::string last_line() const;
};

std::filesystem::path cli_binary();
std::filesystem::path pursa_binary();

class Trader {
public:
    Trader(std::string name, const testsupport::Devnet& devnet);

    // Creates the wallet, publishes the paymail name, funds the receive address with the given
    // coins and connects agoran-cli to the wallet. Records a test failure when a step fails.
    bool open(const std::vector<int64_t>& coins);

    Outcome cli(const std::vector<std::string>& args, std::chrono::seconds timeout = std::chrono::seconds(180)) const;
    Outcome pursa(const std::vector<std::string>& args, std::chrono::seconds timeout = std::chrono::seconds(60)) const;

    // agoran-cli book --json / offers --json / lots --json, parsed (null on failure).
    nlohmann::json book() const;
    nlohmann::json offers() const;
    nlohmann::json lots() const;
    // The listing of the book with this id (null when absent).
    nlohmann::json listing(const std::string& id) const;

    // A key of the wallet, derived from its mnemonic outside the program.
    wallet::DerivedKey key(const wallet::DerivationPath& path) const;

    const std::string& name() const { return m_name; }
    const std::filesystem::path& data_dir() const { return m_data_dir; }
    const std::string& wallet_id() const { return m_wallet_id; }
    const std::string& receive_address() const { return m_receive; }
    const std::string& ordinals_address() const { return m_ordinals; }

private:
    nlohmann::json cli_json(const std::vector<std::string>& args) const;
    Outcome run(const std::filesystem::path& program, const std::vector<std::string>& args, std::chrono::seconds timeout) const;

    std::string m_name;
    const testsupport::Devnet& m_devnet;
    testsupport::TempDir m_root;
    std::filesystem::path m_data_dir;
    std::string m_wallet_id;
    std::string m_receive;
    std::string m_ordinals;
};

// Posts are ordered by their time in whole seconds, then by txid, so two posts of one second
// may apply in either order (an offer before its listing, a fill before an offer). The tests
// let a second pass after every command that posts, as people at keyboards always do.
void next_post_second();

// The text after "success: " when it is a txid, else "".
std::string txid_of(const std::string& result);

} // namespace e2e
