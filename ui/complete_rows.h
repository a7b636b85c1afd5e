// The Complete dialog's rows: an offer on one of the wallet's live listings with what the
// seller's check finds in it, the card each is drawn as, and the Complete button's checks that
// need no network. Pure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "trade/complete_routine.h"
#include "trade/offer_rules.h"
#include "ui/trade_card.h"

namespace ui {

struct CompleteRow {
    trade::OfferRow row;
    std::optional<trade::OfferCheck> check;  // none for an offer without signed bytes
};

// "Pays you <paid> BSV (<due> BSV due). Passes." when the check passes; "Refused: <sentence>"
// when not; "-" when it did not run.
std::string verdict_text(const std::optional<trade::OfferCheck>& check);

// "Offer", or "Offer (needs a new post)" without signed bytes; the lines "Item", "Qty", "They
// pay", "Buyer" and "Seller's check" (green when it passes, red when not).
Card complete_card(const CompleteRow& row);

// The Complete button's checks before the network, in order: "Pick an offer." (no row
// selected, -1), "Nobody has offered on your listings yet." (no rows), "That offer has no
// signed bytes. Ask the buyer to post again."; "" when the selected row may go on.
std::string complete_refusal(const std::vector<CompleteRow>& rows, int selected);

} // namespace ui
