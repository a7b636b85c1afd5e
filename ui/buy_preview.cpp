#include "ui/buy_preview.h"

#include "book/post.h"
#include "book/reduce.h"
#include "core/text.h"
#include "ui/trade_card.h"

namespace ui {

BuySnapshot buy_snapshot(const book::Listing* listing)
{
    BuySnapshot snapshot;
    if (!listing || listing->status != "live") return snapshot;
    snapshot.live = true;
    snapshot.qty = book::parse_decimal_u64(listing->qty).value_or(0);
    snapshot.price_sats = listing->price_sats;
    return snapshot;
}

uint64_t preview_qty(std::string_view box) { return book::parse_decimal_u64(core::trim_space(box)).value_or(0); }

std::string buy_header_text(const BuySnapshot& snapshot)
{
    if (!snapshot.live) return "Pick a live listing.";
    return "Buy up to " + std::to_string(snapshot.qty) + " lots for " + bsv_amount(snapshot.price_sats) + " BSV total.";
}

CostLine buy_cost_line(const BuySnapshot& snapshot, std::string_view box)
{
    const uint64_t total = snapshot.qty;
    if (!snapshot.live || total == 0) return {"No listing selected.", true};
    const uint64_t q = preview_qty(box);
    const std::string lots = std::to_string(total);
    if (q == 0) return {"Enter a qty from 1 to " + lots + ".", true};
    if (q > total) return {"Qty is more than the listing.", false};
    if (q == total) return {"You pay " + bsv_amount(snapshot.price_sats) + " BSV for " + lots + " lots.", true};
    const uint64_t pay = book::mul_div_floor(q, snapshot.price_sats, total);
    return {"You pay " + bsv_amount(pay) + " BSV for " + std::to_string(q) + " of " + lots + " lots.", true};
}

} // namespace ui
