// The checks the trade dialogs make on what the user typed, before any network work starts.
// A refusal is a TradeError of its own code (error_text words it as the dialog's message window
// shows it, no "error: " prefix). Pure; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "trade/error.h"

namespace trade {

// Longest text an edit box of the dialogs holds for a price or a quantity.
inline constexpr size_t BOX_TEXT_MAX = 63;
// Longest note an edit box holds (characters), and the longest note posted (UTF-8 bytes).
inline constexpr size_t NOTE_BOX_MAX = 199;
inline constexpr size_t NOTE_BYTES_MAX = 140;
// Longest report, in UTF-8 bytes.
inline constexpr size_t REPORT_BYTES_MAX = 2000;

// Blanks and tabs removed at the front; blanks, tabs, CR and LF at the end (the dialogs' trim).
std::string trim_box_text(std::string_view text);

// A listing's total price typed in BSV: trimmed, at most BOX_TEXT_MAX characters, parsed as a
// BSV amount of at least 1 satoshi. nullopt otherwise.
std::optional<core::Amount> parse_price_box(std::string_view text);

// NoteBad unless the trimmed note is well-formed UTF-8 of 1 to 140 bytes.
std::optional<TradeError> check_note(std::string_view text);

// The unsigned number spelled by the leading decimal digits of a text ("08" is 8, "12abc" is
// 12). nullopt without a leading digit or when it overflows 64 bits.
std::optional<uint64_t> leading_number(std::string_view text);

// The quantity of a new listing. For a picture it is always "1". For a token lot the trimmed
// box must not be empty or "0" (QtyAtLeastOne), must begin with a number (QtyWhole), and
// that number must lie between 1 and the held amount (QtyHeld). qty is the decimal text of
// the number, which is what the post carries.
struct ListQuantity {
    std::string qty;
    std::optional<TradeError> refusal;
};
ListQuantity list_quantity(std::string_view box, bool picture, std::string_view held);

// q × price ÷ total, truncating, through a 128-bit intermediate: the price of q of total lots.
// 0 when total is 0.
uint64_t pro_rata(uint64_t q, uint64_t price, uint64_t total);

// What an offer on a listing pays. When the trimmed box equals the listing's qty text the
// payment is the listing's price; otherwise the box must be a whole number q (QtyWhole) with
// 1 <= q <= L, L the listing's qty (QtyOverListing), and the payment is pro_rata(q, price, L).
// Empty box or "0": QtyAtLeastOne; a payment of 0 satoshis: QtyPaysNothing. qty is the
// decimal text the offer asks for.
struct BuyPayment {
    std::string qty;
    uint64_t pay_sats = 0;
    std::optional<TradeError> refusal;
};
BuyPayment buy_payment(std::string_view box, std::string_view listing_qty, uint64_t price_sats);

// The listing's remainder after a sale of sold of total lots, and its price (the "ag_fill"
// members "qty" and "price_sats"; price absent when total is 0).
struct FillRemainder {
    uint64_t qty = 0;
    std::optional<uint64_t> price_sats;
};
FillRemainder fill_remainder(uint64_t total, uint64_t sold, uint64_t price_sats);

// ReportTextBad unless the trimmed report is well-formed UTF-8 of 1 to 2000 bytes.
std::optional<TradeError> check_report_text(std::string_view text);

} // namespace trade
