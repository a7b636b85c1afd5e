// Offer locks: the coins of a posted offer, read from its transaction, kept in a file per
// wallet and kept out of payments.
#include <gtest/gtest.h>

#include "funding/offer_locks.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"

namespace {

std::string offer_hex(const std::vector<std::pair<std::string, uint32_t>>& spends)
{
    std::vector<tx::TxInput> ins;
    for (const auto& [txid, vout] : spends) ins.push_back(test_input(test_txid(txid), vout));
    return core::hex_encode(tx::tx_serialize(ins, {{1000, tx::p2pkh_script(core::Hash160{})}}));
}

const std::string TXID_A = "a1" + std::string(62, '0');
const std::string TXID_B = "b2" + std::string(62, '0');

TEST(OfferInputs, ReadsEveryInputOfATransactionAndNothingElse)
{
    std::string hex = offer_hex({{TXID_A, 0}, {TXID_B, 7}});
    EXPECT_EQ(funding::offer_input_outpoints(hex), (std::vector<tx::Outpoint>{test_outpoint(TXID_A + "_0"), test_outpoint(TXID_B + "_7")}));
    // Upper case, blanks and line breaks around the digits are of no account.
    std::string messy = " " + hex.substr(0, 50) + "\n" + hex.substr(50);
    for (auto& c : messy) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(funding::offer_input_outpoints(messy), (std::vector<tx::Outpoint>{test_outpoint(TXID_A + "_0"), test_outpoint(TXID_B + "_7")}));
    // Anything but a whole transaction gives nothing.
    for (const std::string& bad : {std::string(), std::string(78, 'a'), hex.substr(0, hex.size() - 1),
                                   hex.substr(0, hex.size() - 2), hex + "00"}) {  // odd, cut short, trailing byte
        EXPECT_TRUE(funding::offer_input_outpoints(bad).empty()) << bad;
    }
}

class OfferLocks : public fundingtest::FundingTest {};

TEST_F(OfferLocks, AddRemoveRecordAndFileName)
{
    bind_wallet();
    ASSERT_TRUE(funding::offer_locks_add(ws(), {test_outpoint(TXID_A + "_0"), test_outpoint(TXID_B + "_7"), test_outpoint(TXID_B + "_7")}));
    EXPECT_EQ(funding::offer_locks_load(ws()), (std::set<tx::Outpoint>{test_outpoint(TXID_A + "_0"), test_outpoint(TXID_B + "_7")}));
    EXPECT_EQ(read_json("gallery/offer_locks_w1.json")["utxos"], nlohmann::json::array({TXID_A + "_0", TXID_B + "_7"}));
    ASSERT_TRUE(funding::offer_locks_remove(ws(), funding::offer_input_outpoints(offer_hex({{TXID_A, 0}}))));
    EXPECT_EQ(funding::offer_locks_load(ws()), (std::set<tx::Outpoint>{test_outpoint(TXID_B + "_7")}));

    // The wallet's record of its offers: an offer whose coin is released leaves the record with it.
    const tx::Txid offer_d = test_txid('d');
    const tx::Txid listing = test_txid('e');
    ASSERT_TRUE(funding::offer_record_add(ws(), {test_txid('c'), listing, {test_outpoint(TXID_A + "_1"), test_outpoint(TXID_A + "_2")}}));
    ASSERT_TRUE(funding::offer_record_add(ws(), {offer_d, listing, {test_outpoint(TXID_B + "_8")}}));
    EXPECT_EQ(funding::offer_locks_load(ws()), (std::set<tx::Outpoint>{test_outpoint(TXID_A + "_1"), test_outpoint(TXID_A + "_2"), test_outpoint(TXID_B + "_7"), test_outpoint(TXID_B + "_8")}));
    auto records = funding::offer_records(ws());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].offer, test_txid('c'));
    EXPECT_EQ(records[0].utxos, (std::vector<tx::Outpoint>{test_outpoint(TXID_A + "_1"), test_outpoint(TXID_A + "_2")}));
    ASSERT_TRUE(funding::offer_locks_remove(ws(), {test_outpoint(TXID_A + "_2")}));
    records = funding::offer_records(ws());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offer, offer_d);

    // A damaged file reads as no locks. In one that reads, either case and separator are read, and
    // what another program wrote that is no outpoint (or no record of this one) is written back.
    write_text("gallery/offer_locks_w1.json", R"({"utxos": "all", "offers": [7, {"offer": "x"}]})");
    EXPECT_TRUE(funding::offer_locks_load(ws()).empty() && funding::offer_records(ws()).empty());
    const nlohmann::json foreign = {{"offer", "o-7"}, {"listing", "L"}, {"utxos", {"A1" + std::string(62, '0') + ":1"}}};
    write_json("gallery/offer_locks_w1.json", {{"utxos", {"A1" + std::string(62, '0') + ":1", "coin-9"}}, {"offers", {7, foreign}}});
    ASSERT_TRUE(funding::offer_locks_add(ws(), {test_outpoint(TXID_B + "_7")}));
    EXPECT_EQ(read_json("gallery/offer_locks_w1.json"),
              nlohmann::json({{"utxos", {TXID_A + "_1", TXID_B + "_7", "coin-9"}}, {"offers", {foreign}}}));
}

} // namespace
