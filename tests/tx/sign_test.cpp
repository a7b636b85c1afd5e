#include "tx/sign.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/push.h"
#include "tx/script.h"
#include "tx/unlock_check.h"

namespace sign_test {

using txtest::hex;
using txtest::unhex;

// Every program-shape case signs with the key its lock names, into an unlock that checks out;
// the other inputs stay unsigned. (The digests themselves are checked against the vectors by the
// sighash tests.)
TEST(TxSignInput, SignsTheProgramShapeCases)
{
    for (const auto& c : txtest::shape_cases()) {
        tx::Transaction t = txtest::shape_case_tx(c);
        const size_t index = c["input_index"].get<size_t>();
        core::Bytes script_code = unhex(c["script_code_hex"].get<std::string>());
        auto key = txtest::key_for_hash(tx::p2pkh_prefix_hash(script_code).value_or(core::Hash160{}));
        ASSERT_TRUE(key.has_value()) << c["description"];
        if (script_code.size() != tx::P2PKH_SCRIPT_SIZE) t.inputs[index].prev_script = script_code;
        ASSERT_TRUE(tx::tx_sign_input(index, t.inputs, t.outputs, key->hash, key->priv_hex, key->pub_hex)) << c["description"];
        EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, index, script_code, t.inputs[index].value),
                  tx::UnlockCheck::valid);
        for (size_t other = 0; other < t.inputs.size(); ++other) {
            EXPECT_EQ(t.inputs[other].script_sig.empty(), other != index) << other;
        }
    }
}

// Two inputs owned by two keys, three outputs: the shape of a trade, where each party signs
// its own input at its own time.
struct TwoParty {
    tx::Transaction t;
    txtest::TestKey buyer = txtest::key_at(0);
    txtest::TestKey seller = txtest::key_at(5);

    TwoParty()
    {
        t = txtest::shape_case_tx(txtest::shape_cases()[1]);
        t.inputs[0].prev_script = tx::p2pkh_script(seller.hash);
        t.inputs[1].prev_script = tx::p2pkh_script(buyer.hash);
    }
    tx::UnlockCheck check(size_t index) const
    {
        return tx::check_p2pkh_unlock(t.inputs, t.outputs, index, t.inputs[index].prev_script, t.inputs[index].value);
    }
};

TEST(TxSignInput, SigningOneInputLeavesTheOtherValid)
{
    TwoParty trade;
    ASSERT_TRUE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, trade.buyer.hash, trade.buyer.priv_hex, trade.buyer.pub_hex));
    const core::Bytes buyer_sig = trade.t.inputs[1].script_sig;
    EXPECT_TRUE(trade.t.inputs[0].script_sig.empty());
    EXPECT_EQ(trade.check(0), tx::UnlockCheck::malformed_unlock);

    ASSERT_TRUE(tx::tx_sign_input(0, trade.t.inputs, trade.t.outputs, trade.seller.hash, trade.seller.priv_hex, trade.seller.pub_hex));
    EXPECT_EQ(trade.t.inputs[1].script_sig, buyer_sig);
    EXPECT_EQ(trade.check(0), tx::UnlockCheck::valid);
    EXPECT_EQ(trade.check(1), tx::UnlockCheck::valid);
}

TEST(TxSignInput, RefusesKeysThatCannotSpendTheInput)
{
    TwoParty trade;
    const auto& b = trade.buyer;
    const auto& s = trade.seller;
    const std::tuple<const char*, core::Hash160, std::string, std::string> refused[] = {
        {"another key pair's public key", b.hash, b.priv_hex, s.pub_hex},
        {"a key pair that does not own the output", s.hash, s.priv_hex, s.pub_hex},
        {"a short private key", b.hash, b.priv_hex.substr(2), b.pub_hex},
        {"a zero private key", b.hash, std::string(64, '0'), b.pub_hex},
        {"a public key not in hex", b.hash, b.priv_hex, "zz"},
        {"no public key", b.hash, b.priv_hex, ""},
    };
    for (const auto& [name, hash, priv, pub] : refused) {
        EXPECT_FALSE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, hash, priv, pub)) << name;
        EXPECT_TRUE(trade.t.inputs[1].script_sig.empty()) << name;
    }
    EXPECT_FALSE(tx::tx_sign_input(2, trade.t.inputs, trade.t.outputs, b.hash, b.priv_hex, b.pub_hex));  // no such input
    trade.t.inputs[0].txid = "not a txid";  // a transaction that cannot be serialised
    EXPECT_FALSE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, b.hash, b.priv_hex, b.pub_hex));
    trade.t.inputs[1].prev_script.clear();  // no stored previous script: the hash given must be the key's
    trade.t.inputs[0].txid = std::string(64, 'c');
    EXPECT_FALSE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, s.hash, b.priv_hex, b.pub_hex));
    EXPECT_TRUE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, b.hash, b.priv_hex, b.pub_hex));
}

TEST(TxSignInput, SignsEitherInscriptionForm)
{
    auto scripts = testsupport::read_json_vector("inscriptions.json")["scripts"];
    txtest::TestKey owner = txtest::key_at(5);  // the owner of the generated inscriptions
    for (size_t n : {1u, 2u, 3u}) {
        TwoParty trade;
        trade.t.inputs[0].prev_script = unhex(scripts[n]["script_hex"].get<std::string>());
        trade.t.inputs[0].value = 1;
        ASSERT_TRUE(tx::tx_sign_input(0, trade.t.inputs, trade.t.outputs, {}, owner.priv_hex, owner.pub_hex)) << n;
        EXPECT_EQ(trade.check(0), tx::UnlockCheck::valid) << n;
        // The whole inscription is the script code: signing over the P2PKH part alone fails.
        EXPECT_EQ(tx::check_p2pkh_unlock(trade.t.inputs, trade.t.outputs, 0, tx::p2pkh_script(owner.hash), 1),
                  tx::UnlockCheck::bad_signature);
    }
}

} // namespace sign_test
