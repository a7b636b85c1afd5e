#include "trade/cancel_routine.h"

#include <algorithm>

#include "book/post.h"
#include "core/json_get.h"
#include "funding/offer_locks.h"
#include "funding/reserves.h"
#include "trade/chain_lookup.h"
#include "trade/market_session.h"
#include "trade/offer_complete.h"
#include "trade/post_tx.h"
#include "trade/trade_gate.h"
#include "tx/outpoint.h"

namespace trade {
namespace {

// What the chain says about the buyer coins of an offer being withdrawn.
struct OfferCoins {
    std::vector<tx::Outpoint> unspent;
    bool all_spent = true;  // every coin shown spent: the offer can never complete
};

OfferCoins ask_offer_coins(MarketSession& session, const std::vector<tx::Outpoint>& coins)
{
    OfferCoins out;
    for (const auto& coin : coins) {
        SpentState state = output_spent_state(session, coin.txid, coin.vout);
        if (state != SpentState::Spent) out.all_spent = false;
        if (state == SpentState::Unspent) out.unspent.push_back(coin);
    }
    return out;
}

// The buyer coins of an offer: the signed inputs of its transaction, and the coins the wallet
// recorded for it when it was posted.
std::vector<tx::Outpoint> offer_coins(wallet::WalletSession& wallet, const tx::Txid& offer_id, const std::string& offer_hex)
{
    std::vector<tx::Outpoint> out;
    if (auto offer = parse_offer_text(offer_hex)) {
        for (const auto& in : offer->inputs) {
            if (!in.script_sig.empty()) out.push_back({in.txid, in.vout});
        }
    }
    for (const auto& record : funding::offer_records(wallet)) {
        if (record.offer != offer_id) continue;
        for (const auto& coin : record.utxos) {
            if (std::find(out.begin(), out.end(), coin) == out.end()) out.push_back(coin);
        }
    }
    return out;
}

} // namespace

std::optional<TradeError> check_cancel_listing(wallet::WalletSession& wallet, const book::Listing& listing)
{
    // Cancelling needs no paymail check of its own: signing the post makes it.
    TraderGate gate = trader_gate(wallet);
    if (gate.identity_key.empty()) return TradeError(TradeCode::ConnectFirst);
    if (core::ascii_lower(listing.pubkey) != gate.identity_key) return TradeError(TradeCode::NotYourListingNoOffer);
    if (listing.status != book::ListingStatus::Live) return TradeError(TradeCode::ListingClosed);
    return std::nullopt;
}

TradeResult<Sent> run_cancel_listing(MarketSession& session, const book::Listing& listing)
{
    core::Json post = core::Json::object();
    post["type"] = "ag_cancel";
    post["handle"] = trader_gate(session.wallet()).handle;
    post["listing"] = listing.id.hex();
    TradeResult<Sent> result = publish_post(session, post, false);
    if (result) {
        (void)funding::reserve_remove_listing(session.wallet(), listing.id);
        if (listing.utxo) (void)funding::reserve_remove(session.wallet(), *listing.utxo);
    }
    return result;
}

bool is_own_offer(const book::Offer& offer, const std::string& my_key, const std::string& my_name)
{
    if (!offer.pubkey.empty()) return !my_key.empty() && core::ascii_lower(offer.pubkey) == core::ascii_lower(my_key);
    if (my_name.empty() || offer.handle.empty()) return false;
    return offer.handle == my_name || offer.handle == my_name.substr(0, my_name.find('@'));
}

std::optional<book::Offer> own_offer_on(const book::Listing& listing, const std::string& my_key,
                                        const std::string& my_name)
{
    std::optional<book::Offer> mine;
    for (const auto& offer : listing.offers) {
        if (is_own_offer(offer, my_key, my_name)) mine = offer;
    }
    return mine;
}

TradeResult<Sent> run_offer_cancel(MarketSession& session, const tx::Txid& listing_id, const book::Offer& offer)
{
    return withdraw_offer(session, listing_id, offer.id, offer_coins(session.wallet(), offer.id, offer.offer));
}

TradeResult<Sent> withdraw_offer(MarketSession& session, const tx::Txid& listing_id, const tx::Txid& offer_id, const std::vector<tx::Outpoint>& coins)
{
    OfferCoins state = ask_offer_coins(session, coins);
    // Only a payment that spends one of the offer's coins kills the half-signed offer; without
    // one the offer would stay completable, so nothing is posted.
    if (state.unspent.empty() && !state.all_spent) return TradeError(TradeCode::CoinsUnanswered);

    core::Json post = core::Json::object();
    post["type"] = "ag_offer_cancel";
    post["handle"] = trader_gate(session.wallet()).handle;
    post["listing"] = listing_id.hex();
    post["offer"] = offer_id.hex();
    funding::PayOptions spend;
    spend.must_spend = state.unspent;
    spend.refuse_without_must_spend = !state.unspent.empty();
    TradeResult<Sent> result = publish_post(session, post, false, spend);
    if (result) (void)funding::offer_locks_remove(session.wallet(), coins);
    return result;
}

std::vector<funding::OfferRecord> recorded_offers(wallet::WalletSession& wallet)
{
    return funding::offer_records(wallet);
}

TradeResult<Sent> withdraw_recorded_offer(MarketSession& session, const funding::OfferRecord& record)
{
    return withdraw_offer(session, record.listing, record.offer, offer_coins(session.wallet(), record.offer, ""));
}

} // namespace trade
