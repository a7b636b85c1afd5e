// What the trade dialogs run on workers before an action starts, free of any toolkit: each
// takes what the dialog captured on the UI thread, calls the trade routines through the trade
// services, and answers with the dialog's refusal (the sentence its message window shows) or
// with what the action needs. The order of the checks is the dialogs' own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/listing.h"
#include "core/json_get.h"
#include "ui/complete_rows.h"
#include "ui/mine_cards.h"
#include "ui/trade_services.h"

namespace ui {

// --- List: "Post listing" ---
struct ListCheck {
    std::string refusal;   // "" when the listing may be published
    core::Json post;       // the "ag_list" post
    tx::Outpoint outpoint; // the listing output, reserved once the checks passed
};
// The list routine's checks and post, dated by the session's clock, then the reserve of the lot's
// output (its refusal's words, without "error: ", refuse).
ListCheck run_list_checks(const trade::ListRequest& request, TradeServices& services);

// --- Buy: "Post offer" ---
// The listing the dialog was opened on, looked up again in the current book: "" when it is
// still there, live and unchanged; "Pick a live listing." when it is gone or closed; a
// sentence that it changed when its qty, price, utxo or payment address differ.
std::string held_listing_refusal(const book::Listing& held, const std::vector<book::Listing>& book);

// --- Complete ---
// The offers on the wallet's live listings, each with what the seller's check finds.
std::vector<CompleteRow> run_complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                           TradeServices& services);

// --- Listings & Offers ---
MineCards run_mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                         const std::string& paymail, TradeServices& services);

} // namespace ui
