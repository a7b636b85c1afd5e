// The checks the trade dialogs run on workers, free of any toolkit: each takes what the dialog
// captured on the UI thread and the trade services, and answers with the dialog's refusal (the
// sentence its message window shows) or with what the action needs. The order of the checks
// is the dialogs' own. They may wait on the network and never throw on bad input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "book/listing.h"
#include "ui/complete_rows.h"
#include "ui/list_lot.h"
#include "ui/mine_cards.h"
#include "ui/trade_services.h"

namespace ui {

// --- List: "Post listing" ---
struct ListRequest {
    std::string identity_key;
    std::string paymail;
    std::string pay_address;
    std::string ordinals_address;
    std::optional<wallet::TvPursaOrdRow> lot;  // none when no valid lot is selected
    std::string price_box;
    std::string note_box;
    std::string qty_box;
    int64_t now = 0;
};
struct ListPlan {
    std::string refusal;   // "" when the listing may be posted
    nlohmann::json post;   // the "ag_list" post
    std::string outpoint;  // the reserved listing output (set once the reserve is made)
};
// Frozen identity, lot, price, note, quantity; the post with the asset's name, symbol and icon;
// then the reserve of the lot's output (its error sentence refuses).
ListPlan run_list_checks(const ListRequest& request, TradeServices& services);

// --- Buy: "Post offer" ---
// The listing the dialog was opened on, looked up again in the current book: "" when it is
// still there, live and unchanged; "Pick a live listing." when it is gone or closed; a
// sentence that it changed when its qty, price, utxo or payment address differ.
std::string held_listing_refusal(const book::Listing& held, const std::vector<book::Listing>& book);
// "" or "Qty must be at least 1." for a qty box that is empty or "0" once trimmed.
std::string buy_qty_refusal(const std::string& qty_box);

struct BuyRequest {
    std::string identity_key;
    std::string paymail;
    std::string ordinals_address;
    book::Listing listing;
    std::string qty_box;
};
struct BuyPlan {
    std::string refusal;
    nlohmann::json post;  // the "ag_buy" post without its "offer"
    std::string qty;
    uint64_t pay_sats = 0;
};
// The listing output unspent, neither identity frozen, the payment for the qty; the post.
BuyPlan run_buy_checks(const BuyRequest& request, TradeServices& services);

// --- Complete ---
// The rows of the wallet's live listings' offers, each with what the seller's check finds.
std::vector<CompleteRow> run_complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                           const OfferSpendsListing& spends, TradeServices& services);

// --- Listings & Offers ---
MineCards run_mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                         const std::string& paymail, const OfferSpendsListing& spends, TradeServices& services);

// --- Report ---
// "" or the refusal of the report's own text ("Write a report (max 2000 characters).").
std::string report_text_refusal(const std::string& text);

} // namespace ui
