#include "trade/cancel_routine.h"

#include "book/post.h"
#include "core/json_get.h"
#include "funding/offer_locks.h"
#include "funding/reserves.h"
#include "trade/chain_lookup.h"
#include "trade/offer_complete.h"
#include "trade/post_tx.h"
#include "trade/trade_gate.h"
#include "tx/outpoint.h"

namespace trade {
namespace {

// The first signed input of the offer that the chain shows unspent, "txid_vout".
std::string first_unspent_buyer_coin(const std::string& offer_hex)
{
    auto offer = parse_offer_text(offer_hex);
    if (!offer) return {};
    for (const auto& in : offer->inputs) {
        if (in.script_sig.empty()) continue;
        if (output_spent_state(in.txid, in.vout) == SpentState::Unspent)
            return tx::format_outpoint(book::ascii_lower(in.txid), in.vout);
    }
    return {};
}

} // namespace

std::string check_cancel_listing(const book::Listing& listing)
{
    // Cancelling needs no paymail check of its own: signing the post makes it.
    TraderGate gate = trader_gate();
    if (gate.identity_key.empty()) return std::string(CONNECT_FIRST);
    if (book::ascii_lower(listing.pubkey) != gate.identity_key) return "That listing is not yours, and you have no open offer on it.";
    if (listing.status != "live") return "That listing is already closed.";
    return {};
}

std::string run_cancel_listing(const book::Listing& listing)
{
    core::Json post = core::Json::object();
    post["type"] = "ag_cancel";
    post["handle"] = trader_gate().handle;
    post["listing"] = book::ascii_lower(listing.id);
    std::string result = publish_post(post, false);
    if (result.rfind("success", 0) == 0) {
        (void)funding::reserve_remove(book::ascii_lower(listing.id));
        (void)funding::reserve_remove(listing.utxo);
    }
    return result;
}

std::optional<book::Offer> own_offer_on(const book::Listing& listing, const std::string& my_key,
                                        const std::string& my_handle)
{
    std::optional<book::Offer> mine;
    const std::string key = book::ascii_lower(my_key);
    for (const auto& offer : listing.offers) {
        bool by_key = !offer.pubkey.empty() && book::ascii_lower(offer.pubkey) == key && !key.empty();
        bool by_handle = offer.pubkey.empty() && !my_handle.empty() && offer.handle == my_handle;
        if (by_key || by_handle) mine = offer;
    }
    return mine;
}

std::string run_offer_cancel(const std::string& listing_id, const book::Offer& offer)
{
    if (listing_id.size() != 64) return "error: Pick one of your open offers.";
    core::Json post = core::Json::object();
    post["type"] = "ag_offer_cancel";
    post["handle"] = trader_gate().handle;
    post["listing"] = book::ascii_lower(listing_id);
    post["offer"] = book::ascii_lower(offer.id);

    std::vector<std::string> must_spend;
    std::string coin = first_unspent_buyer_coin(offer.offer);
    if (!coin.empty()) must_spend.push_back(coin);
    std::string result = publish_post(post, false, must_spend);
    if (result.rfind("success", 0) == 0) (void)funding::offer_locks_remove(funding::offer_input_outpoints(offer.offer));
    return result;
}

} // namespace trade
