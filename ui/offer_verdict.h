// What the seller's check of an offer finds, as the Complete dialog shows it before the seller
// signs anything. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

struct OfferVerdict {
    bool checked = false;     // the check ran (an offer without signed bytes is never checked)
    bool passes = false;
    uint64_t paid_sats = 0;   // what the offer really pays the listing's payment address
    uint64_t due_sats = 0;    // the price due for what it takes
    std::string error;        // the check's sentence when it does not pass
};

// "Pays you <paid> BSV (<due> BSV due). Passes." when it passes; "Refused: <sentence>" when
// not; "-" when it was not checked.
std::string verdict_text(const OfferVerdict& verdict);

} // namespace ui
