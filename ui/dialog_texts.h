// The sentences of the trade dialogs: refusals in their message windows, confirmations and
// the status line while an action runs. Pure.
#pragma once

#include <string>

#include "book/listing.h"
#include "trade/complete_routine.h"
#include "trade/error.h"

namespace ui {

struct OfferCancelContext;

// A refusal the trade routines make too (trade::TradeCode::ConnectFirst, PickLiveListing, ...),
// in the words of their one table (trade::error_text); detail as the code reads it.
std::string trade_refusal(trade::TradeCode code, std::string detail = {});

// List.
inline constexpr const char* LIST_INFO =
    "A listing runs 4 weeks. Posting it pays 0.01 BSV to the market and 1 sat to the book oracle. "
    "The lot stays in your wallet, held for this listing.";
inline constexpr const char* LIST_ALREADY_LISTED =
    "That lot is already listed. It can be listed again when that listing ends.";
inline constexpr const char* STATUS_LIST_DONE = "Your listing is posted. It shows as live once the book oracle has seen it.";
inline constexpr const char* STATUS_CHECKING_LISTING = "Checking this listing...";
inline constexpr const char* STATUS_POSTING_LISTING = "Posting listing (0.01 BSV + 1 sat)...";

// Buy.
inline constexpr const char* BUY_LISTING_CHANGED =
    "That listing changed since this window opened. Close it and open Buy again to see the listing as it is now.";
inline constexpr const char* STATUS_CHECKING_OFFER = "Checking the listing and both identities...";
inline constexpr const char* STATUS_BUILDING_OFFER = "Building half-signed offer...";
inline constexpr const char* STATUS_BUY_DONE = "Your offer is posted. The seller completes the sale from their side.";

// Cancel.
inline constexpr const char* CANCEL_SELECT = "Select a listing (yours to unlist, or one you offered on).";
inline constexpr const char* CANCEL_CONFIRM_NOTE = "No second 0.01 fee. One sat on the book oracle.";
inline constexpr const char* CANCEL_CONFIRM_LABEL = "Cancel listing";
inline constexpr const char* OFFER_CANCEL_EFFECT = "Takes your offer off the book. No second list fee.";
inline constexpr const char* STATUS_POSTING_CANCEL = "Posting cancel overlay...";
inline constexpr const char* STATUS_CANCELLING_OFFER = "Cancelling your offer...";
inline constexpr const char* STATUS_CANCEL_DONE = "Your listing is cancelled.";
inline constexpr const char* STATUS_OFFER_CANCEL_DONE = "Your offer is withdrawn.";
// "Cancel your listing of 250,000 LYRA for 0.50000000 BSV?" and the fee note.
std::string cancel_listing_question(const book::Listing& listing);
// "Withdraw your offer of 250,000 LYRA for 0.50000000 BSV on zeno's listing?" and what it does.
std::string offer_cancel_question(const OfferCancelContext& context);

// Complete.
inline constexpr const char* COMPLETE_HEADING = "Offers on your listings";
inline constexpr const char* COMPLETE_PICK = "Pick an offer.";
inline constexpr const char* COMPLETE_NONE = "Nobody has offered on your listings yet.";
inline constexpr const char* COMPLETE_COINS_SPENT = "The buyer spent those coins. Ask them to post a new offer.";
inline constexpr const char* COMPLETE_CONFIRM_NOTE = "This signs the reserved lot and broadcasts the sale.";
inline constexpr const char* COMPLETE_CONFIRM_LABEL = "Complete";
inline constexpr const char* STATUS_CHECKING_OFFERS = "Checking the offers on your listings...";
inline constexpr const char* STATUS_CHECKING_COINS = "Checking the buyer's coins...";
inline constexpr const char* STATUS_COMPLETING = "Signing seller input and broadcasting...";
inline constexpr const char* STATUS_COMPLETE_DONE = "Sale completed. The lot goes to the buyer.";
// "Sell 250,000 LYRA to zeno for 0.50000000 BSV?" and what it does.
std::string complete_question(const trade::OfferRow& row);

// Listings & Offers.
inline constexpr const char* MINE_TITLE = "Listings & Offers";
inline constexpr const char* MINE_NO_LISTINGS = "You have no live listings.";
inline constexpr const char* MINE_NO_OFFERS = "You have no open offers.";

// History.
inline constexpr const char* HISTORY_INTRO =
    "Your Tavrin Agoran buys and sells. Open offers can be cancelled. Double-click a row for the tx.";
inline constexpr const char* HISTORY_PICK_ROW = "Pick a row.";
inline constexpr const char* HISTORY_PICK_OPEN_OFFER = "Pick an open offer to cancel.";
inline constexpr const char* HISTORY_NOT_OPEN_OFFER = "That row is not an open offer of yours.";

// Report.
inline constexpr const char* REPORT_INTRO =
    "Write to the market's architect. The report is encrypted to the architect and posted on chain.";
inline constexpr const char* REPORT_CONNECT = "Connect Pursa and publish a paymail first.";
inline constexpr const char* STATUS_SENDING_REPORT = "Sending report...";
inline constexpr const char* STATUS_REPORT_DONE = "Your report is sent to the market's architect.";

} // namespace ui
