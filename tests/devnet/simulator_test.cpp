// The simulator's own behaviour that the product's suites do not exercise through it: the
// simulated node accepts what a node accepts and refuses the rest with the services' own answers
// (WhatsOnChain's node texts, ARC's status codes and bodies), and its state survives a restart.
// Fault injection and the indexers' lag are exercised by the product's own fault tests.
#include <functional>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/signature_util.h"
#include "tx/push.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sighash.h"

namespace {

const std::string WOC = "/woc/v1/bsv/main";

struct TestKey {
    std::string priv, pub, address;
    core::Hash160 hash{};
};

// A key made from a label, the same in every run.
TestKey test_key(const std::string& label)
{
    const std::string priv = core::hex_encode(core::sha256(core::as_bytes("devnet test key " + label)));
    const std::string pub = core::pubkey_from_privkey(priv).value_or("");
    const std::string address = core::address_from_pubkey(pub);
    return TestKey{priv, pub, address, core::hash160_from_address(address).value_or(core::Hash160{})};
}

// An output to spend: where it is, what it holds and the key its P2PKH lock names.
struct Coin {
    std::string txid;
    uint32_t vout = 0;
    uint64_t value = 0;
    TestKey key;
};

tx::RawTxOutput pay(const TestKey& to, uint64_t value) { return tx::RawTxOutput{value, tx::p2pkh_script(to.hash)}; }

// Signs every input with its coin's key (ALL|FORKID unless asked otherwise).
tx::RawTx signed_tx(const std::vector<Coin>& coins, std::vector<tx::RawTxOutput> outputs, uint32_t hash_type = 0x41)
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
        auto digest = tx::forkid_digest(t, i, tx::p2pkh_script(coins[i].key.hash), coins[i].value, hash_type);
        core::Bytes sig = (digest ? core::ecdsa_sign_der(coins[i].key.priv, *digest) : std::nullopt).value_or(core::Bytes{});
        EXPECT_FALSE(sig.empty());
        sig.push_back(static_cast<uint8_t>(hash_type));
        tx::append_push(t.inputs[i].script_sig, sig);
        tx::append_push(t.inputs[i].script_sig, core::hex_decode(coins[i].key.pub).value_or(core::Bytes{}));
    }
    return t;
}

std::string hex_of(const tx::RawTx& t) { return core::hex_encode(tx::serialize_raw_tx(t)); }
std::string txid_of(const tx::RawTx& t) { return tx::tx_id(tx::serialize_raw_tx(t)).hex(); }
std::string broadcast_body(const tx::RawTx& t) { return nlohmann::json{{"txhex", hex_of(t)}}.dump(); }

class Simulator : public testsupport::DevnetTest {
protected:
    // A fresh coin of value to key from the admin faucet.
    Coin funded_coin(const TestKey& key, uint64_t value)
    {
        return Coin{devnet().fund(key.address, static_cast<int64_t>(value)), 0, value, key};
    }
    testsupport::Devnet::Reply woc_broadcast(const tx::RawTx& t) { return devnet().post(WOC + "/tx/raw", broadcast_body(t)); }
    testsupport::Devnet::Reply arc_broadcast(const tx::RawTx& t)
    {
        return devnet().post("/arc/v1/tx", nlohmann::json{{"rawTx", hex_of(t)}}.dump());
    }

    TestKey alice = test_key("alice");
    TestKey bob = test_key("bob");
};

// Every forgery and every transaction a node refuses, with the node's text on WhatsOnChain and
// ARC's status (0: not asked); nothing is accepted along the way.
TEST_F(Simulator, ForgeriesAndInvalidSpendsAreRefusedWithTheNodeTexts)
{
    Coin coin = funded_coin(alice, 100000);
    const std::vector<tx::RawTxOutput> outs = {pay(bob, 60000), pay(alice, 39500)};
    // The signature script of t with its signature replaced and alice's key after it.
    auto with_signature = [&](tx::RawTx t, core::Bytes sig) {
        core::Bytes script_sig;
        tx::append_push(script_sig, sig);
        tx::append_push(script_sig, core::hex_decode(alice.pub).value());
        t.inputs[0].script_sig = script_sig;
        return t;
    };
    auto signature_of = [](const tx::RawTx& t) {
        size_t pos = 0;
        auto op = tx::read_script_op(t.inputs[0].script_sig, pos);
        return op ? core::Bytes(op->data.begin(), op->data.end()) : core::Bytes();
    };
    struct Case {
        const char* what;
        std::function<tx::RawTx()> make;
        std::string woc_says;
        int arc_status;
    };
    const Case cases[] = {
        {"another key's signature over alice's key",
         [&] {
             Coin wrong_signer = coin;
             wrong_signer.key.priv = bob.priv;
             return with_signature(signed_tx({coin}, outs), signature_of(signed_tx({wrong_signer}, outs)));
         },
         "unexpected response code 500: 16: mandatory-script-verify-flag-failed (Signature must be zero for failed "
         "CHECK(MULTI)SIG operation)",
         461},
        {"the signature with s replaced by n - s",
         [&] {
             tx::RawTx t = signed_tx({coin}, outs);
             core::Bytes der = signature_of(t);
             der.pop_back();
             core::Bytes high = testutil::flip_s(der);
             high.push_back(0x41);
             return with_signature(t, high);
         },
         "Non-canonical signature: S value is unnecessarily high", 0},
        {"an output changed after signing",
         [&] {
             tx::RawTx t = signed_tx({coin}, outs);
             t.outputs[0].value += 1;
             t.outputs[1].value -= 1;
             return t;
         },
         "Signature must be zero for failed CHECK(MULTI)SIG operation", 0},
        {"signed without FORKID", [&] { return signed_tx({coin}, outs, 0x01); }, "Signature must use SIGHASH_FORKID", 0},
        {"an input nobody created",
         [&] {
             Coin ghost = coin;
             ghost.txid = std::string(64, '7');
             return signed_tx({ghost}, outs);
         },
         "unexpected response code 500: Missing inputs", 460},
        {"outputs above the inputs", [&] { return signed_tx({coin}, {pay(bob, 100001)}); },
         "unexpected response code 500: 16: bad-txns-in-belowout", 462},
        // Below 100 sat/kB: 191 bytes need 19 satoshis.
        {"a fee too low", [&] { return signed_tx({coin}, {pay(bob, 99990)}); },
         "unexpected response code 500: 66: mempool min fee not met", 465},
        {"a zero-value output that is not data", [&] { return signed_tx({coin}, {pay(bob, 0), pay(alice, 99000)}); },
         "unexpected response code 500: 64: dust", 464},
        {"the same input twice", [&] { return signed_tx({coin, coin}, {pay(bob, 199000)}); },
         "unexpected response code 500: 16: bad-txns-inputs-duplicate", 0},
    };
    for (const Case& c : cases) {
        const tx::RawTx t = c.make();
        auto reply = woc_broadcast(t);
        EXPECT_EQ(reply.status, 400) << c.what;
        EXPECT_NE(reply.body.find(c.woc_says), std::string::npos) << c.what << ": " << reply.body;
        if (c.arc_status != 0) {
            EXPECT_EQ(arc_broadcast(t).status, c.arc_status) << c.what;
        }
    }
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid + "/0/spent").status, 404);
}

// A double spend is a conflict while the first spend waits and a missing input once it is
// mined; submissions that are no transaction, and admin calls that make no sense, are refused.
TEST_F(Simulator, DoubleSpendsAndMalformedSubmissions)
{
    Coin coin = funded_coin(alice, 100000);
    tx::RawTx first = signed_tx({coin}, {pay(bob, 99000)});
    tx::RawTx second = signed_tx({coin}, {pay(alice, 99000)});
    ASSERT_EQ(woc_broadcast(first).status, 200);
    EXPECT_EQ(woc_broadcast(second).body, "unexpected response code 500: 258: txn-mempool-conflict");
    auto arc = arc_broadcast(second);
    EXPECT_EQ(arc.status, 200);  // ARC reports network refusals with HTTP 200
    EXPECT_EQ(arc.json()["txStatus"], "DOUBLE_SPEND_ATTEMPTED");
    EXPECT_EQ(arc.json()["competingTxs"], nlohmann::json::array({txid_of(first)}));
    EXPECT_EQ(devnet().post("/registry/oi/submit", broadcast_body(second)).json()["ok"], false);
    devnet().mine();
    EXPECT_EQ(woc_broadcast(second).body, "unexpected response code 500: Missing inputs");
    EXPECT_EQ(arc_broadcast(second).json()["txStatus"], "SEEN_IN_ORPHAN_MEMPOOL");

    const std::tuple<std::string, std::string, int> malformed[] = {  // path, body, status
        {WOC + "/tx/raw", R"({"txhex":"zz"})", 400},          {WOC + "/tx/raw", "not json", 400},
        {WOC + "/tx/raw", R"({"txhex":"0100000000"})", 400}, {"/arc/v1/tx", R"({"rawTx":"01"})", 400},
        {"/arc/v1/tx", "[1,2]", 400},                          {"/registry/oi/submit", "{}", 400},
        {"/admin/fund", R"({"address":"not-an-address","satoshis":5})", 400}, {"/admin/import", R"({"hex":"00"})", 400},
        {"/admin/fault", R"({"service":"nowhere"})", 400},
    };
    for (const auto& [path, body, status] : malformed) EXPECT_EQ(devnet().post(path, body).status, status) << path << " " << body;
}

// The chain, the mempool, the indexes and the registry survive a restart on the same state.
TEST_F(Simulator, StateSurvivesARestart)
{
    Coin coin = funded_coin(alice, 50000);
    devnet().mine(2);
    tx::RawTx pending = signed_tx({coin}, {pay(bob, 49000)});
    ASSERT_EQ(woc_broadcast(pending).status, 200);
    std::string id = devnet().mint(alice.address, "5000", "KEEP");
    devnet().set_identity("Alice", alice.pub);
    devnet().freeze(bob.pub, "under review");
    devnet().admin("/product", {{"text", "current build version 0.003"}});

    ASSERT_TRUE(devnet().restart());
    EXPECT_EQ(devnet().get("/admin/status").json()["height"], 2);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid).json()["confirmations"], 2);
    EXPECT_FALSE(devnet().get(WOC + "/tx/" + txid_of(pending)).json().contains("blockhash"));
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid + "/0/spent").json()["txid"], txid_of(pending));
    EXPECT_EQ(devnet().get("/ordinals/api/bsv20/id/" + id).json()["sym"], "KEEP");
    EXPECT_EQ(devnet().get("/registry/api/bsvalias/id/alice@example.com").json()["pubkey"], alice.pub);
    EXPECT_EQ(devnet().get("/registry/api/paymail/identity/" + bob.pub).json()["frozenNote"], "under review");
    EXPECT_EQ(devnet().get("/product").body, "current build version 0.003");
    // The restored mempool still refuses a conflicting spend.
    tx::RawTx conflict = signed_tx({coin}, {pay(alice, 49000)});
    EXPECT_EQ(woc_broadcast(conflict).body, "unexpected response code 500: 258: txn-mempool-conflict");
}

} // namespace
