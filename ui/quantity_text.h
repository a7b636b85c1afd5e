// Quantities and prices of listings as the windows show and read them: token amounts in token
// units with their decimals and digit grouping, pictures as one picture, and the price of one
// whole token. Pure; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

// The decimals of a listing's token; 0 for a picture.
int listing_decimals(const book::Listing& listing);

// What one unit of the listing is called: its ticker, else its name, else "units"; "picture"
// for a picture.
std::string unit_label(const book::Listing& listing);

// Base units as the listing's token shows them: "250,000", "840.5". Text that is not a number
// is returned as it stands.
std::string quantity_number(const book::Listing& listing, std::string_view base_units);
// The same with the unit: "250,000 LYRA"; "1 picture" for a picture.
std::string quantity_text(const book::Listing& listing, std::string_view base_units);

// What the user typed in the listing's units, as base units; nullopt when it is not a number
// of them (a picture takes only "1").
std::optional<std::string> typed_quantity(const book::Listing& listing, std::string_view text);

// Satoshis per whole unit (per token, per picture), rounded down; nullopt without a quantity.
std::optional<uint64_t> unit_price_sats(const book::Listing& listing);
// The price of one unit in BSV, "<0.00000001" below a satoshi, "-" without a quantity.
std::string unit_price_text(const book::Listing& listing);
// Satoshis per whole unit as a number, for ordering rows (0 without a quantity).
double unit_price_value(const book::Listing& listing);

} // namespace ui
