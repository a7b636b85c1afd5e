// What the Buy dialog says before paying: the cost of the quantity typed (in the token's units)
// out of the listing as the dialog opened on it. Pure.
#pragma once

#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

struct CostLine {
    std::string text;
    bool accent = true;  // drawn in the accent colour; the text colour when false
};
// Without a live listing with a quantity: "No listing selected."; a box that is not a number of
// the listing's units: "Enter a quantity from 1 to <Q>." (in those units); more than the
// listing: "That is more than the listing holds." (text colour); all of it: "You pay P BSV for
// <Q>."; else "You pay q*P/Q BSV for <q> of <Q>." (128-bit product, truncating).
CostLine buy_cost_line(const book::Listing& listing, std::string_view box);

inline constexpr const char* BUY_NOTE_PRO_RATA = "A smaller quantity is a pro-rata share of the price.";
inline constexpr const char* BUY_NOTE_SELLER = "The seller needs Pursa and Tavrin Agoran open to finish.";

} // namespace ui
