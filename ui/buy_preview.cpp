#include "ui/buy_preview.h"

#include "book/post.h"
#include "book/reduce.h"
#include "ui/quantity_text.h"
#include "ui/trade_card.h"

namespace ui {

CostLine buy_cost_line(const book::Listing& listing, std::string_view box)
{
    const uint64_t total = book::parse_decimal_u64(listing.qty).value_or(0);
    if (listing.status != book::ListingStatus::Live || total == 0) return {"No listing selected.", true};
    const auto typed = typed_quantity(listing, box);
    const uint64_t q = typed ? book::parse_decimal_u64(*typed).value_or(0) : 0;
    const std::string all = quantity_text(listing, listing.qty);
    if (q == 0) return {"Enter a quantity from " + quantity_text(listing, "1") + " to " + all + ".", true};
    if (q > total) return {"That is more than the listing holds.", false};
    if (q == total) return {"You pay " + bsv_text(listing.price_sats) + " for " + all + ".", true};
    const uint64_t pay = book::mul_div_floor(q, listing.price_sats, total);
    return {"You pay " + bsv_text(pay) + " for " + quantity_number(listing, *typed) + " of " + all + ".", true};
}

} // namespace ui
