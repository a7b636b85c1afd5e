#include "ui/trade_card.h"

#include <limits>

#include "core/amount.h"
#include "ui/book_filter.h"

namespace ui {

Card none_yet_card(const std::string& text) { return Card{"None yet", {{"", text}}}; }

std::string name_and_symbol(const book::Listing& listing)
{
    if (listing.name.empty()) return listing.sym;
    if (listing.sym.empty() || ascii_lower(listing.name) == ascii_lower(listing.sym)) return listing.name;
    return listing.name + " (" + listing.sym + ")";
}

std::string seller_name_warning(const book::Listing& listing)
{
    auto differs = [](const std::string& claimed, const std::string& chain) {
        return !claimed.empty() && !chain.empty() && ascii_lower(claimed) != ascii_lower(chain);
    };
    if (!differs(listing.post_name, listing.name) && !differs(listing.post_sym, listing.sym)) return {};
    book::Listing claimed = listing;
    claimed.name = listing.post_name.empty() ? listing.name : listing.post_name;
    claimed.sym = listing.post_sym.empty() ? listing.sym : listing.post_sym;
    return "The seller's post calls this " + name_and_symbol(claimed) + "; the chain says " + name_and_symbol(listing) +
           ".";
}

std::string item_label(const book::Listing& listing)
{
    std::string label = name_and_symbol(listing);
    return label.empty() ? listing.origin : label;
}

std::string bsv_amount(uint64_t sats)
{
    if (sats > static_cast<uint64_t>(std::numeric_limits<core::Amount>::max())) return "-";
    return core::format_bsv(static_cast<core::Amount>(sats));
}

std::string bsv_text(uint64_t sats)
{
    const std::string amount = bsv_amount(sats);
    return amount == "-" ? amount : amount + " BSV";
}

} // namespace ui
