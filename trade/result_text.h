// The result texts the programs show: "success: " + txid, or "error: " and one sentence. The one
// place that turns the results of the trade, funding and wallet layers into words.
#pragma once

#include <string>
#include <string_view>

#include "funding/broadcast.h"
#include "funding/error.h"
#include "trade/error.h"
#include "wallet/error.h"

namespace trade {

// A payment of the funding layer as the trade routines hand it back.
Sent sent_of(const funding::Paid& paid);

// "success: " + txid, followed by funding::SENT_UNCONFIRMED when the network did not show it yet,
// and by "\nBook overlay: " + the failure when a completion's fill post failed.
std::string sent_text(const Sent& sent);
// The lines of sent_text after the first: "" or "Book overlay: " + the failure.
std::string follow_up_text(const Sent& sent);

// "error: " + the error's sentence (error_text, book::error_text, funding::error_text, wallet::error_text).
std::string failure_text(const TradeError& error);
std::string failure_text(const funding::FundingError& error);
std::string failure_text(const wallet::WalletError& error);

// "error: " + sentence: a refusal the program words where it makes it (a command it does not
// know, a worker that stopped).
std::string refusal_text(std::string_view sentence);

// sent_text or failure_text.
std::string result_text(const TradeResult<Sent>& result);
// "success" or failure_text.
std::string result_text(const wallet::WalletResult<void>& result);

} // namespace trade
