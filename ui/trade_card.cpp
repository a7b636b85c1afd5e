#include "ui/trade_card.h"

#include <limits>

#include "core/amount.h"
#include "core/text.h"
#include "ui/book_filter.h"

namespace ui {

Card none_yet_card(const std::string& text) { return Card{"None yet", {{"", text}}}; }

std::string name_and_symbol(const book::Listing& listing)
{
    if (listing.name.empty()) return listing.sym;
    if (listing.sym.empty() || core::ascii_lower(listing.name) == core::ascii_lower(listing.sym)) return listing.name;
    return listing.name + " (" + listing.sym + ")";
}

std::string seller_name_warning(const book::Listing& listing)
{
    if (!listing.claims_differ) return {};
    if (listing.kind == book::ListingKind::Picture)
        return "The seller's post names another picture than the one its listing output holds; the picture shown is "
               "the one you would buy.";
    book::Listing claimed;
    claimed.name = listing.claimed.name;
    claimed.sym = listing.claimed.sym;
    const std::string theirs = name_and_symbol(claimed);
    const std::string chain = name_and_symbol(listing);
    if (!theirs.empty() && !chain.empty() && core::ascii_lower(theirs) != core::ascii_lower(chain))
        return "The seller's post calls this " + theirs + "; the chain says " + chain + ".";
    return "The seller's post names another token or icon than the chain holds for this lot.";
}

std::string item_label(const book::Listing& listing)
{
    std::string label = name_and_symbol(listing);
    if (!label.empty()) return label;
    const std::string& asset = listing.chain_origin.empty() ? listing.origin : listing.chain_origin;
    const std::string shown = asset.size() > 14 ? asset.substr(0, 8) + "\u2026" + asset.substr(asset.size() - 4) : asset;
    return listing.kind == book::ListingKind::Picture ? "Picture " + shown : shown;
}

std::string seller_note_text(const book::Listing& listing)
{
    const std::string title = listing.kind == book::ListingKind::Picture ? listing.claimed.name : std::string();
    if (title.empty()) return listing.note;
    const std::string quoted = "\u201C" + title + "\u201D";
    return listing.note.empty() ? quoted : quoted + " \u2014 " + listing.note;
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
