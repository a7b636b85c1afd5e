// Keys and signed spends for the simulator's tests.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "tests/support/devnet_fixture.h"
#include "tx/push.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sighash.h"

namespace devnet_test {

struct TestKey {
    std::string priv;
    std::string pub;
    std::string address;
    core::Hash160 hash{};
};

// A key made from a label, the same in every run.
inline TestKey test_key(const std::string& label)
{
    TestKey key;
    key.priv = core::hex_encode(core::sha256(core::as_bytes("devnet test key " + label)));
    key.pub = core::pubkey_from_privkey(key.priv).value_or("");
    key.address = core::address_from_pubkey(key.pub);
    key.hash = core::hash160_from_address(key.address).value_or(core::Hash160{});
    return key;
}

// An output to spend: where it is, what it holds, its lock and the key that unlocks it.
struct Coin {
    std::string txid;
    uint32_t vout = 0;
    uint64_t value = 0;
    core::Bytes script;
    TestKey key;
};

// The locking script of an output, read from the simulator.
inline core::Bytes output_script(const testsupport::Devnet& devnet, const std::string& txid, uint32_t vout)
{
    auto reply = devnet.get("/woc/v1/bsv/main/tx/" + txid + "/out/" + std::to_string(vout) + "/hex");
    EXPECT_EQ(reply.status, 200) << reply.body;
    return core::hex_decode(reply.body).value_or(core::Bytes{});
}

inline tx::RawTxOutput pay(const TestKey& to, uint64_t value)
{
    return tx::RawTxOutput{value, tx::p2pkh_script(to.hash)};
}

// Signs every input with its coin's key (ALL|FORKID) and returns the transaction.
inline tx::RawTx signed_tx(const std::vector<Coin>& coins, std::vector<tx::RawTxOutput> outputs, uint32_t hash_type = 0x41)
{
    tx::RawTx t;
    for (const Coin& c : coins) {
        tx::RawTxInput in;
        in.prev_hash = tx::txid_to_wire(c.txid).value_or(std::array<uint8_t, 32>{});
        in.prev_index = c.vout;
        t.inputs.push_back(in);
    }
    t.outputs = std::move(outputs);
    for (size_t i = 0; i < coins.size(); ++i) {
        auto digest = tx::forkid_digest(t, i, coins[i].script, coins[i].value, hash_type);
        auto der = digest ? core::ecdsa_sign_der(coins[i].key.priv, *digest) : std::nullopt;
        EXPECT_TRUE(der.has_value());
        core::Bytes sig = der.value_or(core::Bytes{});
        sig.push_back(static_cast<uint8_t>(hash_type));
        core::Bytes script_sig;
        tx::append_push(script_sig, sig);
        tx::append_push(script_sig, core::hex_decode(coins[i].key.pub).value_or(core::Bytes{}));
        t.inputs[i].script_sig = script_sig;
    }
    return t;
}

inline std::string hex_of(const tx::RawTx& t)
{
    return core::hex_encode(tx::serialize_raw_tx(t));
}

inline std::string txid_of(const tx::RawTx& t)
{
    return tx::tx_id(tx::serialize_raw_tx(t)).hex();
}

// Funds a fresh coin of value to key through the admin faucet.
inline Coin funded_coin(const testsupport::Devnet& devnet, const TestKey& key, uint64_t value)
{
    Coin c;
    c.txid = devnet.fund(key.address, static_cast<int64_t>(value));
    c.vout = 0;
    c.value = value;
    c.script = tx::p2pkh_script(key.hash);
    c.key = key;
    return c;
}

inline std::string broadcast_body(const tx::RawTx& t)
{
    return nlohmann::json{{"txhex", hex_of(t)}}.dump();
}

// The simulator with two keys to pay from and to.
class SpendTest : public testsupport::DevnetTest {
protected:
    TestKey alice = test_key("alice");
    TestKey bob = test_key("bob");
};

} // namespace devnet_test
