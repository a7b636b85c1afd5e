// The seller's completion in this process against the simulator: a buyer's offer on a lot of
// this wallet is signed only when it answers the seller's own record of the listing (kept with
// the listing's reserve), the book shows that record's terms, and the buyer's signatures
// verify; otherwise nothing is signed and the lot stays where it was.
#include "trade/offer_complete.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "core/key.h"
#include "funding/reserves.h"
#include "tests/trade/trader_fixture.h"
#include "trade/listing_record.h"
#include "trade/post_tx.h"
#include "trade/result_text.h"
#include "trade/wallet_now.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "tests/support/test_txid.h"

namespace {

using trade::TradeCode;
using tradetest::failure_of;

// The buyer: a key that is not this wallet's.
struct Buyer {
    std::string priv_hex = std::string(63, '0') + "5";
    std::string pub_hex = *core::pubkey_from_privkey(priv_hex);
    std::string address = core::address_from_pubkey(pub_hex);
    core::Hash160 hash = *core::hash160_from_address(address);
};

constexpr int64_t BUYER_COIN = 50'000;

class OfferComplete : public tradetest::TraderTest {
protected:
    void SetUp() override
    {
        TraderTest::SetUp();
        ASSERT_FALSE(open_wallet("erin", {400'000, 1'500'000}).empty());
        m_token = devnet().mint(m_ordinals, "10", "TEN");
        ASSERT_FALSE(m_token.empty());
        list(std::string(64, 'a'), "bsv21", m_token, m_token, "10", 10'000);
        m_buyer_coin = devnet().fund(m_buyer.address, BUYER_COIN, true);
        ASSERT_FALSE(m_buyer_coin.empty());
    }

    // A live listing of this wallet on the book, its reserve and its record.
    void list(const std::string& id, const std::string& kind, const std::string& origin, const std::string& utxo,
              const std::string& qty, uint64_t price)
    {
        m_listing = {};
        m_listing.id = id;
        m_listing.kind = book::listing_kind_of(kind);
        m_listing.origin = origin;
        m_listing.utxo = utxo;
        m_listing.qty = qty;
        m_listing.price_sats = price;
        m_listing.pay_addr = m_receive;
        m_listing.ord_addr = m_ordinals;
        m_listing.pubkey = trade::wallet_identity_key(session().wallet());
        m_listing.status = book::ListingStatus::Live;
        ASSERT_TRUE(funding::reserve_add(session().wallet(), utxo, origin, 0));
        ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), utxo, id, record()));
    }

    // What this wallet published for m_listing.
    funding::ListingRecord record() const
    {
        return {std::string(book::listing_kind_text(m_listing.kind)), m_listing.utxo, m_listing.qty, m_listing.qty, m_listing.price_sats, m_listing.qty,
                m_listing.price_sats, m_listing.pay_addr, m_listing.ord_addr, 1'700'000'000};
    }

    tx::TxOutput transfer(const std::string& address, const std::string& amt) const
    {
        std::string body = tx::bsv20_transfer_json(m_token, amt);
        return {1, tx::inscription_script(*core::hash160_from_address(address), tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
    }

    // The buyer's offer for 3 of the 10: the listing input unsigned, the buyer's coin signed.
    // `after_signing` may change the transaction once the buyer has signed it.
    std::string offer_for_three(const std::function<void(std::vector<tx::TxOutput>&)>& after_signing = {}) const
    {
        auto listed = tx::parse_outpoint(m_token);
        std::vector<tx::TxInput> inputs(2);
        inputs[0].txid = listed->txid;
        inputs[0].vout = listed->vout;
        inputs[1].txid = test_txid(m_buyer_coin);
        inputs[1].vout = 0;
        inputs[1].value = BUYER_COIN;
        inputs[1].pub_key_hash = m_buyer.hash;
        std::vector<tx::TxOutput> outputs{{3'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))},
                                          transfer(m_buyer.address, "3"),
                                          transfer(m_ordinals, "7"),
                                          {BUYER_COIN - 3'000 - 500, tx::p2pkh_script(m_buyer.hash)}};
        EXPECT_TRUE(tx::tx_sign_input(1, inputs, outputs, m_buyer.hash, m_buyer.priv_hex, m_buyer.pub_hex));
        if (after_signing) after_signing(outputs);
        return core::hex_encode(tx::tx_serialize(inputs, outputs));
    }

    bool spent(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        return devnet().get("/woc/v1/bsv/main/tx/" + o->txid.hex() + "/" + std::to_string(o->vout) + "/spent").status == 200;
    }

    Buyer m_buyer;
    std::string m_token;
    std::string m_buyer_coin;
    book::Listing m_listing;
};

TEST_F(OfferComplete, AnHonestOfferIsSignedAndTheRecordMovesToTheRest)
{
    trade::Completion done = trade::complete_offer(session(), offer_for_three(), m_listing);
    ASSERT_TRUE(done.result) << trade::result_text(done.result);
    EXPECT_TRUE(spent(m_token));
    EXPECT_EQ(done.leftover_units, "7");
    EXPECT_EQ(done.leftover_outpoint, tradetest::txid_of(done.result) + "_2");
    auto moved = funding::reserve_of_listing(session().wallet(), m_listing.id);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->utxo, done.leftover_outpoint);
    EXPECT_EQ(moved->record.units_left, "7");
    EXPECT_EQ(moved->record.price_left, 7'000u);
    EXPECT_EQ(moved->record.lot_units, "7");
    EXPECT_EQ(moved->record.qty, "10");  // what the listing post said stays as it was
}

// A listing of 3 of the lot's 10 sells out: its record goes, and the 7 left over are the seller's
// to list again, held for no listing.
TEST_F(OfferComplete, AListingThatSellsOutLeavesNoRecord)
{
    ASSERT_TRUE(funding::reserve_remove(session().wallet(), m_listing.id));
    m_listing.id = std::string(64, 'b');
    m_listing.qty = "3";
    m_listing.price_sats = 3'000;
    funding::ListingRecord part = record();
    part.lot_units = "10";
    ASSERT_TRUE(funding::reserve_add(session().wallet(), m_token, m_token, 0));
    ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), m_token, m_listing.id, part));
    trade::Completion done = trade::complete_offer(session(), offer_for_three(), m_listing);
    ASSERT_TRUE(done.result) << trade::result_text(done.result);
    EXPECT_EQ(done.leftover_units, "7");
    EXPECT_FALSE(funding::reserve_of_listing(session().wallet(), m_listing.id));
}

TEST_F(OfferComplete, TheBookMustShowWhatThisWalletPublished)
{
    // A book that shows other terms than the record (a forged or stale copy) signs nothing.
    struct Case {
        std::function<void(book::Listing&)> change;
        std::string named;
    };
    const std::vector<Case> cases = {
        {[](book::Listing& l) { l.price_sats = 1; }, "price"},
        {[](book::Listing& l) { l.qty = "900"; }, "quantity"},
        {[](book::Listing& l) { l.utxo = std::string(64, 'b') + "_1"; }, "output"},
        {[](book::Listing& l) { l.kind = book::ListingKind::Picture; }, "kind"},
        {[](book::Listing& l) { l.pay_addr = l.ord_addr; }, "payment address"},
    };
    for (const auto& c : cases) {
        book::Listing shown = m_listing;
        c.change(shown);
        trade::Completion done = trade::complete_offer(session(), offer_for_three(), shown);
        ASSERT_EQ(failure_of(done.result), TradeCode::TermsChanged) << c.named;
        EXPECT_EQ(done.result.error().detail, c.named);
        EXPECT_FALSE(trade::evaluate_offer(session(), offer_for_three(), shown).passes) << c.named;
    }
    // Another trader's listing, and one this wallet has no record of: refused, whatever the book says.
    book::Listing theirs = m_listing;
    theirs.pubkey = std::string(66, 'c');
    EXPECT_EQ(failure_of(trade::complete_offer(session(), offer_for_three(), theirs).result), TradeCode::NotYourListing);
    (void)funding::reserve_remove(session().wallet(), m_listing.id);
    EXPECT_EQ(failure_of(trade::complete_offer(session(), offer_for_three(), m_listing).result), TradeCode::NoRecord);
    EXPECT_FALSE(spent(m_token));
    EXPECT_FALSE(spent(m_buyer_coin + "_0"));
}

TEST_F(OfferComplete, ABuyerSignatureThatDoesNotVerifyIsRefusedBeforeSigning)
{
    // The buyer's change raised after signing: the price and the tokens still look right.
    std::string hex = offer_for_three([](std::vector<tx::TxOutput>& outputs) { outputs[3].value += 400; });
    trade::Completion done = trade::complete_offer(session(), hex, m_listing);
    ASSERT_EQ(failure_of(done.result), TradeCode::BuyerSignatureBad);
    EXPECT_EQ(done.result.error().input, 1u);
    EXPECT_TRUE(done.check.passes);
    EXPECT_FALSE(spent(m_token));
    EXPECT_EQ(funding::reserve_for_listing(session().wallet(), m_listing.id), m_token);
}

TEST_F(OfferComplete, TheRecordNotTheOfferSetsThePrice)
{
    // The same offer against a record that asks more: refused, nothing signed.
    m_listing.price_sats = 10'010;
    ASSERT_TRUE(funding::reserve_rebind(session().wallet(), m_listing.id, m_token, record()));
    trade::Completion done = trade::complete_offer(session(), offer_for_three(), m_listing);
    ASSERT_EQ(failure_of(done.result), TradeCode::Underpaid);
    EXPECT_EQ(done.result.error().due_sats, 3'003u);
    EXPECT_FALSE(spent(m_token));
}

TEST_F(OfferComplete, AReserveFromBeforeRecordsIsReadFromTheListingsOwnTransaction)
{
    // The listing post as this wallet published it, its reserve bound the older way.
    core::Json post = {{"type", "ag_list"},  {"handle", "erin"},       {"origin", m_token},
                       {"kind", "bsv21"},    {"utxo", m_token},         {"qty", "10"},
                       {"price_sats", 10'000}, {"note", "ten"},         {"exp", 4'000'000'000LL},
                       {"pay_addr", m_receive}, {"ord_addr", m_ordinals}};
    auto published = trade::publish_post(session(), post, true);
    ASSERT_TRUE(published) << trade::result_text(published);
    (void)funding::reserve_remove(session().wallet(), m_listing.id);
    m_listing.id = tradetest::txid_of(published);
    ASSERT_TRUE(funding::reserve_add(session().wallet(), m_token, m_token, 0));
    ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), m_token, m_listing.id));

    // Moved since (a sale of part of it under the older program): cannot be rebuilt.
    ASSERT_TRUE(funding::reserve_rebind(session().wallet(), m_listing.id, std::string(64, 'b') + "_1"));
    EXPECT_EQ(trade::seller_record(session(), m_listing.id).error.code, TradeCode::RecordPartlySold);
    ASSERT_TRUE(funding::reserve_rebind(session().wallet(), m_listing.id, m_token));

    trade::SellerRecord rebuilt = trade::seller_record(session(), m_listing.id);
    ASSERT_TRUE(rebuilt.reserve) << trade::error_text(rebuilt.error);
    EXPECT_EQ(rebuilt.reserve->record.price_left, 10'000u);
    EXPECT_TRUE(funding::reserve_of_listing(session().wallet(), m_listing.id)->record.known());  // kept from now on
    trade::Completion done = trade::complete_offer(session(), offer_for_three(), m_listing);
    EXPECT_TRUE(done.result) << trade::result_text(done.result);

    // Another's transaction named as this wallet's listing rebuilds nothing.
    ASSERT_TRUE(funding::reserve_add(session().wallet(), m_buyer_coin + "_0", "", 0));
    ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), m_buyer_coin + "_0", m_buyer_coin));
    EXPECT_EQ(trade::seller_record(session(), m_buyer_coin).error.code, TradeCode::NoRecord);
}

TEST_F(OfferComplete, APictureIsSignedOnlyFromTheOutputThatHoldsIt)
{
    std::string picture = devnet().inscribe(m_ordinals, "image/png", "mine");
    std::string other = devnet().inscribe(m_ordinals, "image/png", "not listed");
    ASSERT_FALSE(picture.empty());
    ASSERT_FALSE(other.empty());
    // The record names another picture than the output holds.
    list(std::string(64, 'd'), "picture", other, picture, "1", 20'000);

    auto listed = tx::parse_outpoint(picture);
    std::vector<tx::TxInput> inputs(2);
    inputs[0].txid = listed->txid;
    inputs[0].vout = listed->vout;
    inputs[1].txid = test_txid(m_buyer_coin);
    inputs[1].value = BUYER_COIN;
    inputs[1].pub_key_hash = m_buyer.hash;
    std::vector<tx::TxOutput> outputs{{1, tx::p2pkh_script(m_buyer.hash)},
                                      {20'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))},
                                      {BUYER_COIN - 20'000 - 600, tx::p2pkh_script(m_buyer.hash)}};
    ASSERT_TRUE(tx::tx_sign_input(1, inputs, outputs, m_buyer.hash, m_buyer.priv_hex, m_buyer.pub_hex));
    trade::Completion done = trade::complete_offer(session(), core::hex_encode(tx::tx_serialize(inputs, outputs)), m_listing);
    EXPECT_EQ(failure_of(done.result), TradeCode::PictureNotHeld);
    EXPECT_FALSE(spent(picture));
}

} // namespace
