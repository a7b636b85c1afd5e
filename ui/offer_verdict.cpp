#include "ui/offer_verdict.h"

#include "ui/trade_card.h"

namespace ui {

std::string verdict_text(const OfferVerdict& verdict)
{
    if (!verdict.checked) return "-";
    if (verdict.passes)
        return "Pays you " + bsv_text(verdict.paid_sats) + " (" + bsv_text(verdict.due_sats) + " due). Passes.";
    std::string sentence = verdict.error;
    if (sentence.rfind("error: ", 0) == 0) sentence.erase(0, 7);
    if (sentence.empty()) sentence = "the offer does not pass the check.";
    return "Refused: " + sentence;
}

} // namespace ui
