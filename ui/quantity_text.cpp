#include "ui/quantity_text.h"

#include "book/post.h"
#include "book/reduce.h"
#include "core/token_amount.h"
#include "ui/trade_card.h"

namespace ui {

namespace {

bool is_picture(const book::Listing& listing) { return listing.kind == book::ListingKind::Picture; }

uint64_t pow10(int decimals)
{
    uint64_t p = 1;
    for (int i = 0; i < decimals; ++i) p *= 10;
    return p;
}

} // namespace

int listing_decimals(const book::Listing& listing)
{
    if (is_picture(listing)) return 0;
    const int dec = listing.dec.value_or(0);
    return dec >= 0 && dec <= core::MAX_TOKEN_DECIMALS ? dec : 0;
}

std::string unit_label(const book::Listing& listing)
{
    if (is_picture(listing)) return "picture";
    if (!listing.sym.empty()) return listing.sym;
    if (!listing.name.empty()) return listing.name;
    return "units";
}

std::string quantity_number(const book::Listing& listing, std::string_view base_units)
{
    return core::format_token_amount(base_units, listing_decimals(listing)).value_or(std::string(base_units));
}

std::string quantity_text(const book::Listing& listing, std::string_view base_units)
{
    if (is_picture(listing)) return base_units == "1" ? "1 picture" : std::string(base_units) + " pictures";
    return quantity_number(listing, base_units) + " " + unit_label(listing);
}

std::optional<std::string> typed_quantity(const book::Listing& listing, std::string_view text)
{
    auto units = core::parse_token_amount(text, listing_decimals(listing));
    if (!units || *units == "0") return std::nullopt;
    if (is_picture(listing) && *units != "1") return std::nullopt;
    return units;
}

std::optional<uint64_t> unit_price_sats(const book::Listing& listing)
{
    const uint64_t qty = book::parse_decimal_u64(listing.qty).value_or(0);
    if (qty == 0) return std::nullopt;
    return book::mul_div_floor(listing.price_sats, pow10(listing_decimals(listing)), qty);
}

std::string unit_price_text(const book::Listing& listing)
{
    const auto sats = unit_price_sats(listing);
    if (!sats) return "-";
    if (*sats == 0) return "<0.00000001";
    return bsv_amount(*sats);
}

double unit_price_value(const book::Listing& listing)
{
    const uint64_t qty = book::parse_decimal_u64(listing.qty).value_or(0);
    if (qty == 0) return 0;
    return static_cast<double>(listing.price_sats) * static_cast<double>(pow10(listing_decimals(listing))) /
           static_cast<double>(qty);
}

} // namespace ui
