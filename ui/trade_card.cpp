#include "ui/trade_card.h"

#include <limits>

#include "core/amount.h"

namespace ui {

Card none_yet_card(const std::string& text) { return Card{"None yet", {{"", text}}}; }

std::string name_and_symbol(const book::Listing& listing)
{
    if (listing.name.empty()) return listing.sym;
    if (listing.sym.empty()) return listing.name;
    return listing.name + "  " + listing.sym;
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
