#include <gtest/gtest.h>

#include "tests/support/signature_util.h"
#include "tests/tx/tx_vectors.h"
#include "tx/parse.h"
#include "tx/push.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sighash.h"
#include "tx/sign.h"
#include "tx/unlock_check.h"

namespace signing_test {

using testutil::flip_s;
using tx::UnlockCheck;
using txtest::hex;
using txtest::unhex;

// The node's cases read back byte for byte and give the node's digest for every hash type.
TEST(ForkidDigest, NodeCasesOfEveryHashType)
{
    auto cases = testsupport::read_json_vector("sighash-forkid.json")["node_cases"]["cases"];
    ASSERT_EQ(cases.size(), 14u);
    for (const auto& c : cases) {
        const std::string raw = c["raw_tx_hex"].get<std::string>();
        auto parsed = tx::parse_raw_tx(unhex(raw));
        ASSERT_TRUE(parsed.has_value()) << raw;
        EXPECT_EQ(hex(tx::serialize_raw_tx(*parsed)), raw);
        const uint32_t hash_type = static_cast<uint32_t>(c["hash_type"].get<int64_t>());
        auto digest = tx::forkid_digest(*parsed, c["input_index"].get<size_t>(), unhex(c["script_code_hex"].get<std::string>()),
                                        c["amount"].get<uint64_t>(), hash_type);
        ASSERT_TRUE(digest.has_value());
        EXPECT_EQ(hex(*digest), c["digest_hex"].get<std::string>()) << c["kind"] << " " << raw;
    }
    EXPECT_EQ(tx::parse_raw_tx(unhex(cases[0]["raw_tx_hex"].get<std::string>()))->version, 0x99762201u);
}

TEST(ForkidDigest, SingleWithoutAMatchingOutputHashesNoOutputs)
{
    auto parsed = tx::parse_raw_tx(unhex(txtest::shape_cases()[2]["unsigned_tx_hex"].get<std::string>()));
    ASSERT_TRUE(parsed.has_value());
    parsed->outputs.resize(1);  // input 2 has no output at its index
    core::Bytes preimage = tx::forkid_preimage(*parsed, 2, {}, 0, tx::SIGHASH_SINGLE | tx::SIGHASH_FORKID);
    ASSERT_EQ(preimage.size(), 4u + 32 + 32 + 36 + 1 + 8 + 4 + 32 + 4 + 4);
    const size_t outputs_at = preimage.size() - 4 - 4 - 32;
    EXPECT_EQ(core::Bytes(preimage.begin() + outputs_at, preimage.begin() + outputs_at + 32), core::Bytes(32, 0));
    EXPECT_EQ(hex(core::ByteView(preimage).last(4)), "43000000");
}

// Every program-shape case serialises to its unsigned transaction and gives its preimage and
// digest; it signs with the key its lock names into an unlock that checks out, and the other
// inputs stay unsigned.
TEST(TxSighash, ProgramShapeCasesSerialiseHashAndSign)
{
    for (const auto& c : txtest::shape_cases()) {
        SCOPED_TRACE(c["description"].get<std::string>());
        tx::Transaction t = txtest::shape_case_tx(c);
        EXPECT_EQ(hex(tx::tx_serialize(t.inputs, t.outputs)), c["unsigned_tx_hex"].get<std::string>());
        const size_t index = c["input_index"].get<size_t>();
        core::Bytes script_code = unhex(c["script_code_hex"].get<std::string>());
        EXPECT_EQ(hex(tx::tx_sighash_preimage(t.inputs, t.outputs, index, script_code)), c["preimage_hex"].get<std::string>());
        auto digest = tx::tx_sighash(t.inputs, t.outputs, index, script_code);
        ASSERT_TRUE(digest.has_value());
        EXPECT_EQ(hex(*digest), c["digest_hex"].get<std::string>());

        auto key = txtest::key_for_hash(tx::p2pkh_prefix_hash(script_code).value_or(core::Hash160{}));
        ASSERT_TRUE(key.has_value());
        if (script_code.size() != tx::P2PKH_SCRIPT_SIZE) t.inputs[index].prev_script = script_code;
        ASSERT_TRUE(tx::tx_sign_input(index, t.inputs, t.outputs, key->hash, key->priv_hex, key->pub_hex));
        EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, index, script_code, t.inputs[index].value),
                  tx::UnlockCheck::valid);
        for (size_t other = 0; other < t.inputs.size(); ++other) {
            EXPECT_EQ(t.inputs[other].script_sig.empty(), other != index) << other;
        }
    }
}

// A preimage, a digest or an unlock check of an input that is not there, or of a transaction
// that cannot be serialised, is refused.
TEST(TxSighash, RefusesBadIndexAndValue)
{
    auto parsed = tx::parse_raw_tx(unhex(txtest::shape_cases()[0]["unsigned_tx_hex"].get<std::string>()));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(tx::forkid_preimage(*parsed, 1, {}, 0, tx::SIGHASH_ALL_FORKID).empty());
    EXPECT_FALSE(tx::forkid_digest(*parsed, 1, {}, 0, tx::SIGHASH_ALL_FORKID).has_value());
    tx::Transaction t = txtest::shape_case_tx(txtest::shape_cases()[0]);
    EXPECT_FALSE(tx::tx_sighash(t.inputs, t.outputs, 1, {}).has_value());
    tx::Transaction negative = t;
    negative.inputs[0].value = -1;
    EXPECT_FALSE(tx::tx_sighash(negative.inputs, negative.outputs, 0, {}).has_value());

    txtest::TestKey key = txtest::key_at(0);
    core::Bytes lock = tx::p2pkh_script(key.hash);
    t.inputs[0].prev_script = lock;
    ASSERT_TRUE(tx::tx_sign_input(0, t.inputs, t.outputs, key.hash, key.priv_hex, key.pub_hex));
    EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, 0, lock, t.inputs[0].value), UnlockCheck::valid);
    EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, 0, lock, -1), UnlockCheck::bad_transaction);
    EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, 1, lock, 1), UnlockCheck::no_such_input);
    t.outputs[0].value = -5;
    EXPECT_EQ(tx::check_p2pkh_unlock(t.inputs, t.outputs, 0, lock, t.inputs[0].value), UnlockCheck::bad_transaction);
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
    const core::Amount paid = trade.t.outputs[0].value;
    trade.t.outputs[0].value = -1;  // a transaction that cannot be serialised
    EXPECT_FALSE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, b.hash, b.priv_hex, b.pub_hex));
    trade.t.inputs[1].prev_script.clear();  // no stored previous script: the hash given must be the key's
    trade.t.outputs[0].value = paid;
    EXPECT_FALSE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, s.hash, b.priv_hex, b.pub_hex));
    EXPECT_TRUE(tx::tx_sign_input(1, trade.t.inputs, trade.t.outputs, b.hash, b.priv_hex, b.pub_hex));
}

TEST(TxSignInput, SignsEitherInscriptionForm)
{
    auto scripts = txtest::inscription_scripts();
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

core::Bytes unlock(const core::Bytes& signature_with_type, const core::Bytes& public_key)
{
    core::Bytes script = tx::push_bytes(signature_with_type);
    tx::append_push(script, public_key);
    return script;
}

class RealInputs : public ::testing::Test {
protected:
    nlohmann::json m_vectors = testsupport::read_json_vector("real-tx.json");

    // The second transaction, input 0, parsed as it stands on the wire.
    const nlohmann::json& input() const { return m_vectors["transactions"][1]["inputs"][0]; }
    tx::RawTx raw() const
    {
        return tx::parse_raw_tx(unhex(m_vectors["transactions"][1]["raw_tx_hex"].get<std::string>())).value_or(tx::RawTx{});
    }
    UnlockCheck check_with_unlock(const core::Bytes& script_sig) const
    {
        tx::RawTx t = raw();
        t.inputs[0].script_sig = script_sig;
        return tx::check_p2pkh_unlock(t, 0, unhex(input()["prev_locking_script_hex"].get<std::string>()),
                                      input()["prev_value"].get<uint64_t>());
    }
    core::Bytes der() const { return unhex(input()["der_signature_hex"].get<std::string>()); }
    core::Bytes pub() const { return unhex(input()["public_key_hex"].get<std::string>()); }
};

// Every real transaction reads back byte for byte (the previous txids in display order), and each
// of its inputs verifies at its own value and at no other.
TEST_F(RealInputs, EveryMainnetTransactionRoundTripsAndItsInputsVerify)
{
    for (const auto& t : m_vectors["transactions"]) {
        SCOPED_TRACE(t["txid"].get<std::string>());
        core::Bytes bytes = unhex(t["raw_tx_hex"].get<std::string>());
        auto raw = tx::parse_raw_tx(bytes);
        auto model = tx::tx_parse(bytes);
        ASSERT_TRUE(raw && model);
        ASSERT_EQ(model->inputs.size(), t["inputs"].size());
        const core::Bytes again = tx::tx_serialize(model->inputs, model->outputs);
        EXPECT_EQ(hex(again), hex(bytes));
        EXPECT_EQ(tx::tx_id(again).hex(), t["txid"].get<std::string>());
        for (const auto& in : t["inputs"]) {
            const size_t index = in["index"].get<size_t>();
            const std::string prev_txid = in["prev_txid"].get<std::string>();
            EXPECT_EQ(model->inputs[index].txid.hex(), prev_txid);
            EXPECT_EQ(raw->inputs[index].prev_txid(), prev_txid);
            EXPECT_EQ(tx::txid_to_wire(prev_txid), raw->inputs[index].prev_hash);
            EXPECT_EQ(model->inputs[index].vout, in["prev_vout"].get<uint32_t>());
            core::Bytes prev = unhex(in["prev_locking_script_hex"].get<std::string>());
            const int64_t value = in["prev_value"].get<int64_t>();
            EXPECT_EQ(hex(tx::forkid_digest(*raw, index, prev, static_cast<uint64_t>(value), tx::SIGHASH_ALL_FORKID).value()),
                      in["digest_hex"].get<std::string>());
            EXPECT_EQ(tx::check_p2pkh_unlock(*raw, index, prev, static_cast<uint64_t>(value)), UnlockCheck::valid);
            EXPECT_EQ(tx::check_p2pkh_unlock(model->inputs, model->outputs, index, prev, value), UnlockCheck::valid);
            EXPECT_EQ(tx::check_p2pkh_unlock(*raw, index, prev, static_cast<uint64_t>(value + 1)), UnlockCheck::bad_signature);
            EXPECT_EQ(tx::check_p2pkh_unlock(model->inputs, model->outputs, index, prev, value - 1), UnlockCheck::bad_signature);
        }
    }
}

// Each way an unlock can fail names its reason; only the owner's low-S ALL|FORKID signature in
// two shortest pushes passes.
TEST_F(RealInputs, EachBrokenUnlockIsRefusedForItsReason)
{
    const core::Bytes key = pub();
    core::Bytes sig = der();
    sig.push_back(0x41);
    const core::Bytes good = unlock(sig, key);
    ASSERT_EQ(check_with_unlock(good), UnlockCheck::valid);
    auto with_type = [&](uint8_t type) { core::Bytes s = sig; s.back() = type; return s; };
    auto changed = [](core::Bytes bytes, size_t at, uint8_t mask) { bytes[at] ^= mask; return bytes; };
    core::Bytes high = flip_s(der());
    ASSERT_EQ(flip_s(high), der());
    high.push_back(0x41);
    core::Bytes extra = good;
    extra.push_back(0x51);
    core::Bytes long_form{0x4C, static_cast<uint8_t>(sig.size())};  // OP_PUSHDATA1: not the shortest form
    long_form.insert(long_form.end(), sig.begin(), sig.end());
    tx::append_push(long_form, key);
    core::Bytes opcode = tx::push_bytes(sig);
    opcode.push_back(0xAC);

    const std::tuple<const char*, core::Bytes, UnlockCheck> cases[] = {
        {"high S", unlock(high, key), UnlockCheck::high_s},
        {"empty", {}, UnlockCheck::malformed_unlock},
        {"signature only", tx::push_bytes(sig), UnlockCheck::malformed_unlock},
        {"an extra push", extra, UnlockCheck::malformed_unlock},
        {"truncated", core::Bytes(good.begin(), good.end() - 1), UnlockCheck::malformed_unlock},
        {"long push form", long_form, UnlockCheck::malformed_unlock},
        {"an opcode for the key", opcode, UnlockCheck::malformed_unlock},
        {"empty signature", unlock({}, key), UnlockCheck::malformed_unlock},
        {"SIGHASH_ALL without FORKID", unlock(with_type(0x01), key), UnlockCheck::wrong_sighash_type},
        {"ANYONECANPAY", unlock(with_type(0xC1), key), UnlockCheck::wrong_sighash_type},
        {"key prefix 05", unlock(sig, changed(key, 0, key[0] ^ 0x05)), UnlockCheck::bad_public_key},
        {"short key", unlock(sig, core::Bytes(key.begin(), key.end() - 1)), UnlockCheck::bad_public_key},
        {"another key", unlock(sig, unhex(txtest::key_at(0).pub_hex)), UnlockCheck::key_not_owner},
        {"the key's other parity", unlock(sig, changed(key, 0, 0x01)), UnlockCheck::key_not_owner},
        {"a wrong DER length", unlock(changed(sig, 1, 0x01), key), UnlockCheck::bad_signature},
        {"another r", unlock(changed(sig, 10, 0x01), key), UnlockCheck::bad_signature},
    };
    for (const auto& [name, script_sig, expected] : cases) EXPECT_EQ(check_with_unlock(script_sig), expected) << name;
}

TEST_F(RealInputs, LocksThisProgramCannotSpendAreRefused)
{
    tx::RawTx t = raw();
    const uint64_t value = input()["prev_value"].get<uint64_t>();
    core::Bytes two_key_lock = unhex(txtest::inscription_scripts()[4]["script_hex"].get<std::string>());
    EXPECT_EQ(tx::check_p2pkh_unlock(t, 0, two_key_lock, value), UnlockCheck::lock_not_p2pkh);
    EXPECT_EQ(tx::check_p2pkh_unlock(t, 0, {}, value), UnlockCheck::lock_not_p2pkh);
    EXPECT_EQ(tx::check_p2pkh_unlock(t, 0, unhex("a914" + std::string(40, '1') + "87"), value), UnlockCheck::lock_not_p2pkh);
    EXPECT_EQ(tx::check_p2pkh_unlock(t, 2, two_key_lock, value), UnlockCheck::no_such_input);
    EXPECT_EQ(tx::check_p2pkh_unlock(t, 0, unhex(input()["prev_locking_script_hex"].get<std::string>()),
                                     static_cast<uint64_t>(tx::MAX_MONEY) + 1),
              UnlockCheck::bad_transaction);
}

} // namespace signing_test
