// The moves a trader makes on the market, by the ids the book knows, through the same trade
// routines as the desktop program and agoran-cli. Each acts as the bound wallet of this process
// (demo/trader_desk.h), at the session's market moment, and returns the routine's result.
#pragma once

#include <string>

#include "book/listing.h"
#include "trade/error.h"

namespace trade {
class MarketSession;
}

namespace demo {

// Lists the wallet's lot: lot_key is a token id or a picture's origin; qty in the token's
// smallest units ("1" for a picture); price in BSV as typed.
trade::TradeResult<trade::Sent> list_lot(trade::MarketSession& session, const std::string& lot_key, const std::string& qty,
                                         const std::string& price_bsv, const std::string& note);

// Offers on the listing with this id for qty lots.
trade::TradeResult<trade::Sent> offer_on(trade::MarketSession& session, const std::string& listing_id, const std::string& qty);

// Completes the offer with this id on one of the wallet's listings.
trade::TradeResult<trade::Sent> complete_offer(trade::MarketSession& session, const std::string& offer_id);

// Cancels the wallet's listing with this id.
trade::TradeResult<trade::Sent> cancel_listing(trade::MarketSession& session, const std::string& listing_id);

// Withdraws the wallet's offer with this id.
trade::TradeResult<trade::Sent> withdraw_offer(trade::MarketSession& session, const std::string& offer_id);

} // namespace demo
