// What a trader must not miss between two complete book loads: each new offer on the wallet's
// live listings, and each fill of the wallet's own offers (a purchase row the history did not
// hold before). Pure; safe from any thread.
#pragma once

#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"

namespace ui {

struct MarketEvent {
    enum class Kind { NewOffer, OfferFilled };
    Kind kind = Kind::NewOffer;
    std::string listing_id;  // as the book or the history row names it
    std::string text;  // the sentence the status line and the event log show
};

// The events of `after` over `before`: "New offer on your <item> listing: <qty> for <pay> BSV
// from <buyer>." per offer id no listing of `before` carried, and "Your offer on <item> was
// filled: <qty> for <pay> BSV from <seller>." per purchase row of after_history whose txid
// before_history lacks. New offers in book order, then fills newest first.
std::vector<MarketEvent> market_events(const std::vector<book::Listing>& before, const std::vector<book::Listing>& after,
                                       const std::vector<book::HistoryRow>& before_history,
                                       const std::vector<book::HistoryRow>& after_history,
                                       const std::string& identity_key);

} // namespace ui
