#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/fee.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/wire.h"
#include "tests/support/test_txid.h"

namespace transaction_test {

using txtest::hex;
using txtest::unhex;

const std::string TXID = "9d9eed2d6c0526193a909c2f4543a84f683523bcde9bcd0d37028414a9eb1224";
const tx::Txid ID = *tx::Txid::parse(TXID);

// Either separator, either case, leading zeros; written back in the underscore form.
TEST(Outpoint, ParsesEitherFormAndWritesTheUnderscoreForm)
{
    const std::pair<std::string, uint32_t> read[] = {
        {TXID + "_0", 0}, {TXID + ":7", 7}, {"9D9EED2D6C0526193A909C2F4543A84F683523BCDE9BCD0D37028414A9EB1224_12", 12},
        {TXID + "_4294967295", 4294967295u}, {TXID + "_007", 7},
    };
    for (const auto& [text, vout] : read) EXPECT_EQ(tx::parse_outpoint(text), (tx::Outpoint{ID, vout})) << text;
    EXPECT_EQ(tx::format_outpoint(TXID, 3), TXID + "_3");
    EXPECT_EQ(tx::format_outpoint(tx::Outpoint{ID, 4294967295u}), TXID + "_4294967295");

    for (const std::string& text : {TXID, TXID.substr(1) + "_0", TXID + "_", TXID + "_-1", TXID + "_+1", TXID + "_1 ",
                                    TXID + "_ 1", TXID + "_4294967296", TXID + "_99999999999999999999", TXID + "_1x",
                                    TXID + "x_1", TXID + "_1_2", TXID + "_1:2", TXID.substr(0, 63) + "g_1", std::string(),
                                    std::string("_0")}) {
        EXPECT_FALSE(tx::parse_outpoint(text).has_value()) << text;
    }
    for (const std::string& text : {TXID + "0", " " + TXID.substr(1), TXID.substr(0, 63) + "G", std::string()}) {
        EXPECT_FALSE(tx::Txid::parse(text).has_value()) << text;
    }
}

// A raw transaction with the given counts; each input has a one-byte scriptSig, each output a
// one-byte script and value 7.
core::Bytes raw_with_counts(uint64_t inputs, uint64_t outputs, uint32_t version = 1, uint32_t sequence = 0xFFFFFFFF,
                            uint32_t lock_time = 0)
{
    core::Bytes raw;
    tx::append_u32_le(raw, version);
    tx::append_compact_size(raw, inputs);
    for (uint64_t i = 0; i < inputs; ++i) {
        raw.insert(raw.end(), 32, static_cast<uint8_t>(i));
        tx::append_u32_le(raw, static_cast<uint32_t>(i));
        raw.push_back(1);
        raw.push_back(0x51);
        tx::append_u32_le(raw, sequence);
    }
    tx::append_compact_size(raw, outputs);
    for (uint64_t i = 0; i < outputs; ++i) {
        tx::append_u64_le(raw, 7);
        raw.push_back(1);
        raw.push_back(0x6a);
    }
    tx::append_u32_le(raw, lock_time);
    return raw;
}

core::Bytes real_raw(size_t n)
{
    return unhex(testsupport::read_json_vector("real-tx.json")["transactions"][n]["raw_tx_hex"].get<std::string>());
}

// The product's model keeps no version, sequences or lock time: it writes its own. (Real and node
// transactions read back byte for byte: the signing tests.)
TEST(TxParse, TheModelWritesItsOwnVersionSequencesAndLockTime)
{
    auto normalised = tx::tx_parse(raw_with_counts(2, 1, 2, 0xFFFFFFFE, 600000));
    ASSERT_TRUE(normalised.has_value());
    EXPECT_EQ(hex(tx::tx_serialize(normalised->inputs, normalised->outputs)), hex(raw_with_counts(2, 1)));
}

TEST(TxParse, RefusesWhatIsNotOneWholeTransaction)
{
    core::Bytes trailing = raw_with_counts(1, 1);
    trailing.push_back(0);
    core::Bytes beyond_money = raw_with_counts(1, 1);
    for (int i = 0; i < 8; ++i) beyond_money[4 + 1 + 32 + 4 + 2 + 4 + 1 + i] = 0xFF;  // -1 as a signed amount
    // The single-output reader skips what it does not need, but never an impossible count or value.
    const std::tuple<const char*, core::Bytes, bool> refused[] = {  // name, bytes, refused by tx_output_at too
        {"no inputs", raw_with_counts(0, 1), false},
        {"no outputs", raw_with_counts(1, 0), false},
        {"501 inputs", raw_with_counts(501, 1), false},
        {"501 outputs", raw_with_counts(1, 501), false},
        {"a byte after the lock time", trailing, false},
        {"a value beyond all money", beyond_money, true},
        {"2^64-1 inputs", unhex("01000000ffffffffffffffffff" + std::string(80, '0')), true},
        {"2^32-1 inputs", unhex("01000000feffffffff" + std::string(80, '0')), true},
        {"65535 inputs", unhex("01000000fdffff" + std::string(80, '0')), true},
        {"a scriptSig of 2^64-1 bytes", unhex("0100000001" + std::string(72, '0') + "ffffffffffffffffff" + std::string(40, '0')), true},
    };
    for (const auto& [name, raw, output_too] : refused) {
        EXPECT_FALSE(tx::tx_parse(raw).has_value()) << name;
        EXPECT_FALSE(output_too && tx::tx_output_at(raw, 0).has_value()) << name;
    }
    EXPECT_TRUE(tx::tx_parse(raw_with_counts(500, 1)).has_value());
    EXPECT_TRUE(tx::tx_parse(raw_with_counts(1, 500)).has_value());
    EXPECT_FALSE(tx::parse_raw_tx(unhex("01000000" "00" "01" "0000000000000000" "00" "00000000")).has_value());
    EXPECT_FALSE(tx::parse_raw_tx(trailing).has_value());
    core::Bytes raw = real_raw(1);
    for (size_t size = 0; size < raw.size(); ++size) {
        EXPECT_FALSE(tx::parse_raw_tx(core::ByteView(raw).first(size)).has_value()) << size;
    }
}

TEST(TxOutputAt, ReadsEachOutputOfARealTransaction)
{
    core::Bytes raw = real_raw(1);
    auto parsed = tx::tx_parse(raw);
    ASSERT_TRUE(parsed.has_value());
    for (size_t i = 0; i < parsed->outputs.size(); ++i) EXPECT_EQ(tx::tx_output_at(raw, i), parsed->outputs[i]) << i;
    EXPECT_EQ(tx::tx_output_at(raw, 1)->value, 94064);
    EXPECT_FALSE(tx::tx_output_at(raw, parsed->outputs.size()).has_value());
    for (size_t size = 0; size < raw.size() - 4; ++size) {
        EXPECT_FALSE(tx::tx_output_at(core::ByteView(raw).first(size), 1).has_value()) << size;
    }
    // An output with an empty script is refused, the others of the transaction are still read.
    core::Bytes empty_script = raw_with_counts(1, 2);
    empty_script.erase(empty_script.end() - 5);
    empty_script[empty_script.size() - 5] = 0;
    ASSERT_TRUE(tx::tx_parse(empty_script).has_value());
    EXPECT_TRUE(tx::tx_output_at(empty_script, 0).has_value());
    EXPECT_FALSE(tx::tx_output_at(empty_script, 1).has_value());
}

// Every input counts as 148 bytes in an estimate; fees are a hundred satoshis a kilobyte, rounded
// up, and never nothing; the change estimate adds one P2PKH output (10 + 148 + 2 * 34 = 226 bytes
// without change, 260 with it). Amounts below zero or above all money serialise to nothing.
TEST(TxSerialize, EstimatesSizesAndFees)
{
    tx::TxInput in = test_input(test_txid('a'));
    in.script_sig = core::Bytes(70, 0x01);  // a real, shorter signature does not change the estimate
    std::vector<tx::TxOutput> outs{{1000, tx::p2pkh_script({})}, {2000, tx::p2pkh_script({})}};

    core::Bytes estimate = tx::tx_serialize({in}, outs, true);
    ASSERT_EQ(estimate.size(), 226u);
    EXPECT_EQ(estimate[4 + 1 + 36], 0x6B);
    EXPECT_EQ(core::Bytes(estimate.begin() + 42, estimate.begin() + 42 + 107), core::Bytes(107, 0));
    EXPECT_EQ(tx::tx_estimated_size({in}, outs), 226u);
    EXPECT_EQ(tx::fee_with_change_estimate({in}, outs), 26);
    EXPECT_EQ(tx::tx_serialize({in}, outs, false).size(), 226u - 107 + 70 - 1 + 1);
    EXPECT_EQ(tx::tx_estimated_size({}, outs), 10u + 2 * 34u);  // no inputs: still a size
    EXPECT_EQ(tx::tx_serialize({}, outs, true).size(), tx::tx_estimated_size({}, outs));
    EXPECT_TRUE(tx::tx_serialize({in}, {{-1, tx::p2pkh_script({})}}).empty());
    EXPECT_TRUE(tx::tx_serialize({in}, {{tx::MAX_MONEY + 1, tx::p2pkh_script({})}}).empty());

    const std::pair<size_t, core::Amount> fees[] = {{0, 1}, {1, 1}, {10, 1}, {11, 2}, {226, 23}, {1000, 100}, {1001, 101}};
    for (const auto& [size, fee] : fees) EXPECT_EQ(tx::fee_for_size(size), fee) << size;
}

} // namespace transaction_test
