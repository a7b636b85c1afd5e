// A trader who does not use the program: a key of its own with a registered identity, coins
// from the simulator's faucet, and posts, offers and listings built by hand. The end-to-end
// tests use it to hand the real program offers and listings it must refuse.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/bytes.h"
#include "tests/support/devnet_fixture.h"
#include "tx/transaction.h"

namespace e2e {

class Forger {
public:
    Forger(std::string handle, const testsupport::Devnet& devnet);

    const std::string& handle() const { return m_handle; }
    const std::string& address() const { return m_address; }
    const core::Hash160& hash() const { return m_hash; }
    const std::string& pubkey() const { return m_pub; }

    // A fresh coin of the faucet, paid to this key.
    tx::TxInput coin(int64_t sats) const;

    // Signs input index with this key (the input's value and script must be set).
    bool sign(std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs, size_t index) const;

    // Signs the post as its poster (stamped now unless it carries a "ts"), pays it into the book (with the house fee when asked) from a
    // fresh coin, and broadcasts it. The txid, or "" (with a test failure recorded).
    std::string publish(nlohmann::json post, bool house_fee) const;
    // Pays a post into the book as it stands (someone else's signed post, copied), from a fresh
    // coin. The txid, or "".
    std::string copy(const nlohmann::json& post, bool house_fee) const;

    // Broadcasts a raw transaction through the simulator's WhatsOnChain. The txid or "".
    std::string broadcast(const std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs) const;

private:
    std::string m_handle;
    const testsupport::Devnet& m_devnet;
    std::string m_priv;
    std::string m_pub;
    std::string m_address;
    core::Hash160 m_hash{};
};

} // namespace e2e
