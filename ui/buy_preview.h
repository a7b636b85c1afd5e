// The Buy dialog's painted cost preview: the header, the line of the "Your cost" card and its
// colour, from the listing as it was when the dialog opened and the qty typed. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

// The listing's quantity and price as the dialog saw them when it opened.
struct BuySnapshot {
    bool live = false;
    uint64_t qty = 0;        // 0 when the listing's qty is empty or not a number
    uint64_t price_sats = 0;
};
BuySnapshot buy_snapshot(const book::Listing* listing);

// The qty box as a number: the trimmed text, digits only; 0 when it is anything else.
uint64_t preview_qty(std::string_view box);

// "Buy up to Q lots for P BSV total.", or "Pick a live listing." without a live listing.
std::string buy_header_text(const BuySnapshot& snapshot);

struct CostLine {
    std::string text;
    bool accent = true;  // drawn in the accent colour; the text colour when false
};
// No listing or Q = 0: "No listing selected."; q = 0: "Enter a qty from 1 to Q."; q > Q: "Qty is
// more than the listing." (text colour); q = Q: "You pay P BSV for Q lots."; else "You pay
// q*P/Q BSV for q of Q lots." (128-bit product, truncating).
CostLine buy_cost_line(const BuySnapshot& snapshot, std::string_view box);

inline constexpr const char* BUY_NOTE_PRO_RATA = "A smaller qty is a pro-rata share of that price.";
inline constexpr const char* BUY_NOTE_SELLER = "The seller needs Pursa and Tavrin Agoran open to finish.";
inline constexpr const char* BUY_STEPS[3] = {"The listing", "Partial fill", "Complete"};

} // namespace ui
