// The actors of the end-to-end tests. A Trader has a data directory of its own (its own
// LOCALAPPDATA), a Pursa stand-in wallet made by the `pursa` program, and takes every market
// action through `agoran-cli` child processes, so that two traders never share the process-wide
// wallet state. A Forger does not use the program: it builds posts, offers and listings by hand
// to hand the program what it must refuse.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/secure.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "tx/transaction.h"

namespace e2e {

// The moments the programs of one test act at. Posts apply in the order of their times in whole
// seconds, then by txid, so two posts of one second may apply in either order (an offer before
// its listing, a fill before an offer): every command that posts is handed the next moment,
// strictly after every moment handed out before, by whichever trader. Starts at the system clock.
class Moments {
public:
    Moments();
    int64_t next() { return m_last.fetch_add(1) + 1; }

private:
    std::atomic<int64_t> m_last;
};

struct Outcome {
    int code = -1;    // exit status; -1 when it did not finish in time
    std::string out;  // standard output
    std::string last_line() const;
};

class Trader {
public:
    Trader(std::string name, const testsupport::Devnet& devnet, Moments& moments);

    // Creates the wallet, publishes the paymail name, funds the receive address with the given
    // coins and connects agoran-cli to the wallet. Records a test failure when a step fails.
    bool open(const std::vector<int64_t>& coins);

    // A command that posts runs at the next moment (agoran-cli --at).
    Outcome cli(const std::vector<std::string>& args, std::chrono::seconds timeout = std::chrono::seconds(180)) const;

    // agoran-cli offers --json, parsed (null on failure).
    nlohmann::json offers() const;
    // The listing of the book with this id (null when absent).
    nlohmann::json listing(const std::string& id) const;

    const std::filesystem::path& data_dir() const { return m_data_dir; }
    const std::string& wallet_id() const { return m_wallet_id; }
    const std::string& receive_address() const { return m_receive; }
    const std::string& ordinals_address() const { return m_ordinals; }

private:
    nlohmann::json cli_json(const std::vector<std::string>& args) const;
    Outcome run(const std::filesystem::path& program, const std::vector<std::string>& args, std::chrono::seconds timeout) const;

    std::string m_name;
    const testsupport::Devnet& m_devnet;
    Moments& m_moments;
    testsupport::TempDir m_root;
    std::filesystem::path m_data_dir;
    std::string m_wallet_id;
    std::string m_receive;
    std::string m_ordinals;
};

// A key of its own with a registered identity, and coins from the simulator's faucet.
class Forger {
public:
    Forger(std::string handle, const testsupport::Devnet& devnet, Moments& moments);

    const std::string& address() const { return m_address; }
    const core::Hash160& hash() const { return m_hash; }

    // A fresh coin of the faucet, paid to this key.
    tx::TxInput coin(int64_t sats) const;
    // A token transfer inscription of amt units, paid to this key (whether or not it holds them).
    tx::TxOutput transfer(const std::string& token_id, const std::string& amt) const;

    // Signs input index with this key (the input's value and script must be set).
    bool sign(std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs, size_t index) const;

    // Signs the post as its poster (stamped at the next moment unless it carries a "ts"), pays
    // it into the book (with the house fee when asked) from a fresh coin, and broadcasts it. The
    // txid, or "" (with a test failure recorded).
    std::string publish(nlohmann::json post, bool house_fee) const;
    // Pays a post into the book as it stands (someone else's signed post, copied), from a fresh
    // coin. The txid, or "".
    std::string copy(const nlohmann::json& post, bool house_fee) const;

    // Broadcasts a raw transaction through the simulator's WhatsOnChain. The txid or "".
    std::string broadcast(const std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs) const;

private:
    std::string m_handle;
    const testsupport::Devnet& m_devnet;
    Moments& m_moments;
    std::string m_priv;
    std::string m_pub;
    std::string m_address;
    core::Hash160 m_hash{};
};

// The text after "success: " when it is a txid, else "".
std::string txid_of(const std::string& result);

} // namespace e2e
