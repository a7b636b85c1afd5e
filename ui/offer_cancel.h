// Withdrawing one's own offer, and what the Cancel tile does with the selected listing: the
// offer that is the wallet's own, the context the "Cancel offer" window shows, and the posts.
// Pure; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "tx/txid.h"
#include "ui/trade_card.h"
#include "ui/wallet_snapshot.h"

namespace ui {

struct OfferCancelContext {
    std::optional<tx::Txid> listing_id;  // none when the row names no txid
    book::Offer offer;      // its id, and its transaction, whose coins the cancel frees
    book::Listing listing;  // what the offer is for (its units), as far as it is known
    std::string item;       // name and ticker of the listing
    std::string seller;
};

OfferCancelContext offer_cancel_context(const book::Listing& listing, const book::Offer& offer);
// From a History row (listing id, offer id = the row's txid, qty, names), completed from the
// listing and the offer in the current book when they are there.
OfferCancelContext offer_cancel_context(const book::HistoryRow& row, const std::vector<book::Listing>& book);

// "" when the context can be shown; "Pick one of your open offers." when it has no listing id.
std::string offer_cancel_refusal(const OfferCancelContext& context);

// What the Cancel tile does with the selected listing.
enum class CancelAction {
    Refuse,         // message holds the refusal
    ConfirmUnlist,  // the wallet's own live listing: ask, then post "ag_cancel"
    CancelOffer,    // someone else's listing with the wallet's offer on it: context is set
};
struct CancelChoice {
    CancelAction action = CancelAction::Refuse;
    std::string message;
    OfferCancelContext context;
};
// No listing: "Select a listing ..."; unbound: "Connect a Pursa wallet first."; own listing
// not live: "That listing is already closed."; someone else's without an own offer: "That
// listing is not yours, and you have no open offer on it.".
CancelChoice cancel_choice(const book::Listing* selected, const WalletSnapshot& wallet);

// After the confirmation: the listing held since the tile was pressed, looked up again in the
// current book. Null unless it is still the wallet's own live listing (the dialog then says
// "That listing is already closed.").
const book::Listing* unlistable_listing(const tx::Txid& listing_id, const std::vector<book::Listing>& book,
                                        const WalletSnapshot& wallet);

} // namespace ui
