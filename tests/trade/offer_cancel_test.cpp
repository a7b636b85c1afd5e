// Withdrawing an offer in this process against the simulator: the "ag_offer_cancel" payment
// spends a coin of the withdrawn offer that is still unspent, so the half-signed offer can
// never complete; when none is left it is paid like any post, and when none can be spent
// nothing is posted.
#include "trade/cancel_routine.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "funding/offer_locks.h"
#include "tests/trade/trader_fixture.h"
#include "trade/offer_build.h"
#include "trade/offer_complete.h"
#include "trade/result_text.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace offer_cancel_test {

const std::string SELLER_ORD = core::address_from_hash160(core::hash160(core::as_bytes("seller ord")));
const std::string SELLER_PAY = core::address_from_hash160(core::hash160(core::as_bytes("seller pay")));
const std::string LISTING_ID = std::string(64, 'e');

class OfferCancel : public tradetest::TraderTest {
protected:
    // An offer on a token lot that spends two of the wallet's coins, its coins offer-locked as
    // the paid buy post leaves them.
    book::Offer two_coin_offer()
    {
        // Three coins of 2,500: the price needs two of them, and no coin split is made.
        EXPECT_FALSE(open_wallet("fred", {2'500, 2'500, 2'500}).empty());
        std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
        const std::string hex =
            tradetest::built(trade::build_offer(session(), {token, token, book::ListingKind::Token, "10", 3'000, SELLER_PAY, SELLER_ORD}));
        auto offer = trade::parse_offer_text(hex);
        EXPECT_TRUE(offer && offer->inputs.size() == 3u) << hex;
        EXPECT_TRUE(funding::offer_locks_add(session().wallet(), funding::offer_input_outpoints(hex)));
        book::Offer out;
        out.id = std::string(64, 'f');
        out.offer = hex;
        return out;
    }

    // The offer's buyer coins, "txid_vout", in input order.
    static std::vector<std::string> buyer_coins(const book::Offer& offer)
    {
        std::vector<std::string> out;
        auto t = trade::parse_offer_text(offer.offer);
        if (!t) return out;
        for (const auto& in : t->inputs) {
            if (!in.script_sig.empty()) out.push_back(tx::format_outpoint(in.txid, in.vout));
        }
        return out;
    }

    // Spends a coin of the wallet's receive address behind the program's back, and mines it.
    void spend_elsewhere(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        std::optional<wallet::DerivedKey> key;
        {
            wallet::WalletLock lock(session().wallet());
            key = wallet::key_for_address(session().wallet(), m_receive);
        }
        ASSERT_TRUE(key);
        auto hash = *core::hash160_from_address(m_receive);
        std::vector<tx::TxInput> ins(1);
        ins[0].txid = o->txid;
        ins[0].vout = o->vout;
        ins[0].value = 2'500;
        ins[0].pub_key_hash = hash;
        std::vector<tx::TxOutput> outs{{2'300, tx::p2pkh_script(core::hash160(core::as_bytes("elsewhere")))}};
        ASSERT_TRUE(tx::tx_sign_input(0, ins, outs, hash, key->priv_hex.view(), key->pub_hex));
        auto reply = devnet().post("/woc/v1/bsv/main/tx/raw",
                                   nlohmann::json{{"txhex", core::hex_encode(tx::tx_serialize(ins, outs))}}.dump());
        ASSERT_EQ(reply.status, 200) << reply.body;
        devnet().mine();
    }

    std::set<std::string> inputs_of(const trade::TradeResult<trade::Sent>& result)
    {
        std::set<std::string> out;
        auto t = raw_tx(tradetest::txid_of(result));
        EXPECT_TRUE(t) << trade::result_text(result);
        if (t) {
            for (const auto& in : t->inputs) out.insert(tx::format_outpoint(in.txid, in.vout));
        }
        return out;
    }
};

TEST_F(OfferCancel, TheWithdrawalSpendsTheFirstCoinOfTheOfferThatIsStillUnspent)
{
    book::Offer offer = two_coin_offer();
    auto coins = buyer_coins(offer);
    ASSERT_EQ(coins.size(), 2u);
    spend_elsewhere(coins[0]);
    ASSERT_TRUE(trade::buyer_coins_spent(session(), offer.offer));

    auto result = trade::run_offer_cancel(session(), LISTING_ID, offer);
    ASSERT_TRUE(result) << trade::result_text(result);
    EXPECT_EQ(inputs_of(result).count(coins[1]), 1u);
    EXPECT_TRUE(funding::offer_locks_load(session().wallet()).empty());
}

TEST_F(OfferCancel, WithNoCoinOfTheOfferLeftTheWithdrawalIsPaidLikeAnyPost)
{
    book::Offer offer = two_coin_offer();
    auto coins = buyer_coins(offer);
    ASSERT_EQ(coins.size(), 2u);
    spend_elsewhere(coins[0]);
    spend_elsewhere(coins[1]);
    auto result = trade::run_offer_cancel(session(), LISTING_ID, offer);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto used = inputs_of(result);
    EXPECT_EQ(used.count(coins[0]) + used.count(coins[1]), 0u);
}

// A withdrawal that cannot spend a coin of the offer would leave it completable: it posts
// nothing, pays nothing and keeps the locks.
TEST_F(OfferCancel, AWithdrawalThatCannotSpendACoinOfTheOfferPostsNothing)
{
    book::Offer offer = two_coin_offer();
    EXPECT_EQ(tradetest::failure_of(trade::run_offer_cancel(session(), "abc", offer)), trade::TradeCode::PickOpenOffer);
    // WhatsOnChain cannot say whether the coins are spent.
    devnet().fault("woc", {{"down", true}});
    EXPECT_EQ(tradetest::failure_of(trade::run_offer_cancel(session(), LISTING_ID, offer)), trade::TradeCode::CoinsUnanswered);
    devnet().clear_faults();
    // The coin is unspent, but not one this wallet's coin lists hold.
    std::string foreign = devnet().fund(SELLER_PAY, 5'000, true);
    auto unlisted = trade::withdraw_offer(session(), LISTING_ID, offer.id, {foreign + "_0"});
    ASSERT_FALSE(unlisted);
    EXPECT_TRUE(unlisted.error().is(funding::FundingCode::MustSpendMissing)) << trade::result_text(unlisted);
    EXPECT_FALSE(trade::buyer_coins_spent(session(), offer.offer));
    for (const auto& coin : buyer_coins(offer)) EXPECT_EQ(funding::offer_locks_load(session().wallet()).count(coin), 1u) << coin;
}

} // namespace offer_cancel_test
