// The seller's completion in this process against the simulator: a buyer's offer on a token
// lot of this wallet is signed only when it answers the seller's own record of the listing,
// the listing's reserve and the buyer's signatures; otherwise nothing is signed and the lot
// stays where it was.
#include "trade/offer_complete.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "core/key.h"
#include "funding/reserves.h"
#include "tests/trade/trader_fixture.h"
#include "trade/wallet_now.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"

namespace {

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
        ASSERT_FALSE(open_wallet("erin", {400'000}).empty());
        m_token = devnet().mint(m_ordinals, "10", "TEN");
        ASSERT_FALSE(m_token.empty());
        m_listing.id = std::string(64, 'a');
        m_listing.kind = "bsv21";
        m_listing.origin = m_token;
        m_listing.utxo = m_token;
        m_listing.qty = "10";
        m_listing.price_sats = 10'000;
        m_listing.pay_addr = m_receive;
        m_listing.ord_addr = m_ordinals;
        m_listing.pubkey = trade::wallet_identity_key();
        m_listing.status = "live";
        ASSERT_EQ(funding::reserve_add(m_token, m_token, 0), "");
        ASSERT_EQ(funding::reserve_bind_listing(m_token, m_listing.id), "");
        m_buyer_coin = devnet().fund(m_buyer.address, BUYER_COIN, true);
        ASSERT_FALSE(m_buyer_coin.empty());
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
        inputs[1].txid = m_buyer_coin;
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
        return devnet().get("/woc/v1/bsv/main/tx/" + o->txid + "/" + std::to_string(o->vout) + "/spent").status == 200;
    }

    Buyer m_buyer;
    std::string m_token;
    std::string m_buyer_coin;
    book::Listing m_listing;
};

TEST_F(OfferComplete, AnHonestOfferIsSignedAndTheReserveMovesToTheRest)
{
    trade::Completion done = trade::complete_offer(offer_for_three(), m_listing);
    ASSERT_EQ(done.result.rfind("success: ", 0), 0u) << done.result;
    EXPECT_TRUE(spent(m_token));
    EXPECT_EQ(done.leftover_units, "7");
    EXPECT_EQ(done.leftover_outpoint, tradetest::txid_of(done.result) + "_2");
    EXPECT_EQ(funding::reserve_for_listing(m_listing.id), done.leftover_outpoint);
}

TEST_F(OfferComplete, AReserveOnAnotherOutputSignsNothing)
{
    // The book says one output, this wallet's reserve another: the book is stale or forged.
    ASSERT_EQ(funding::reserve_rebind(m_listing.id, std::string(64, 'b') + "_1"), "");
    trade::Completion done = trade::complete_offer(offer_for_three(), m_listing);
    EXPECT_EQ(done.result, "error: the listing's reserve does not match the book. Reload the book and try again.");
    EXPECT_FALSE(spent(m_token));
    EXPECT_FALSE(spent(m_buyer_coin + "_0"));

    // Without any reserve, the seller's record alone decides.
    (void)funding::reserve_remove(m_listing.id);
    EXPECT_EQ(trade::complete_offer(offer_for_three(), m_listing).result.rfind("success: ", 0), 0u);
}

TEST_F(OfferComplete, AnotherTradersListingIsNotSigned)
{
    m_listing.pubkey = std::string(66, 'c');
    EXPECT_EQ(trade::complete_offer(offer_for_three(), m_listing).result, "error: that listing is not yours.");
    EXPECT_FALSE(spent(m_token));
}

TEST_F(OfferComplete, ABuyerSignatureThatDoesNotVerifyIsRefusedBeforeSigning)
{
    // The buyer's change raised after signing: the price and the tokens still look right.
    std::string hex = offer_for_three([](std::vector<tx::TxOutput>& outputs) { outputs[3].value += 400; });
    trade::Completion done = trade::complete_offer(hex, m_listing);
    EXPECT_EQ(done.result, "error: the buyer's signature on input 1 does not verify.");
    EXPECT_TRUE(done.check.passes);
    EXPECT_FALSE(spent(m_token));
    EXPECT_EQ(funding::reserve_for_listing(m_listing.id), m_token);
}

TEST_F(OfferComplete, TheRecordNotTheOfferSetsThePrice)
{
    // The same offer against a record that asks more: refused, nothing signed.
    m_listing.price_sats = 10'010;
    trade::Completion done = trade::complete_offer(offer_for_three(), m_listing);
    EXPECT_NE(done.result.find("but the listing asks 0.00003003 BSV"), std::string::npos) << done.result;
    EXPECT_FALSE(spent(m_token));
}

} // namespace
