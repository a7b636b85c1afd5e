// The checks the trade dialogs make on what the user typed, before any network work starts.
// Each returns the dialog's own sentence (shown as it stands in a message window, no "error: "
// prefix) or an empty text when the input passes. Pure; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace trade {

inline constexpr std::string_view PRICE_MESSAGE = "Enter a price in BSV (total for the qty).";
inline constexpr std::string_view NOTE_MESSAGE = "Add a short note (1\u2013140 characters).";
inline constexpr std::string_view QTY_AT_LEAST_ONE = "Qty must be at least 1.";
inline constexpr std::string_view QTY_WHOLE = "Qty must be a whole number.";
inline constexpr std::string_view QTY_HELD = "Qty must be at least 1 and no more than you hold of this lot.";
inline constexpr std::string_view QTY_OVER_LISTING = "Qty is more than the listing.";
inline constexpr std::string_view QTY_PAYS_NOTHING = "That qty would pay 0 satoshis at this price. Take more lots.";
inline constexpr std::string_view REPORT_TEXT_MESSAGE = "Write a report (max 2000 characters).";

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

// "" or NOTE_MESSAGE: the trimmed note must be well-formed UTF-8 of 1 to 140 bytes.
std::string check_note(std::string_view text);

// The unsigned number spelled by the leading decimal digits of a text ("08" is 8, "12abc" is
// 12). nullopt without a leading digit or when it overflows 64 bits.
std::optional<uint64_t> leading_number(std::string_view text);

// The quantity of a new listing. For a picture it is always "1". For a token lot the trimmed
// box must not be empty or "0" (QTY_AT_LEAST_ONE), must begin with a number (QTY_WHOLE), and
// that number must lie between 1 and the held amount (QTY_HELD). qty is the decimal text of
// the number, which is what the post carries.
struct ListQuantity {
    std::string qty;
    std::string error;
};
ListQuantity list_quantity(std::string_view box, bool picture, std::string_view held);

// q × price ÷ total, truncating, through a 128-bit intermediate: the price of q of total lots.
// 0 when total is 0.
uint64_t pro_rata(uint64_t q, uint64_t price, uint64_t total);

// What an offer on a listing pays. When the trimmed box equals the listing's qty text the
// payment is the listing's price; otherwise the box must be a whole number q (QTY_WHOLE) with
// 1 <= q <= L, L the listing's qty (QTY_OVER_LISTING), and the payment is pro_rata(q, price, L).
// Empty box or "0": QTY_AT_LEAST_ONE; a payment of 0 satoshis: QTY_PAYS_NOTHING. qty is the
// decimal text the offer asks for.
struct BuyPayment {
    std::string qty;
    uint64_t pay_sats = 0;
    std::string error;
};
BuyPayment buy_payment(std::string_view box, std::string_view listing_qty, uint64_t price_sats);

// The listing's remainder after a sale of sold of total lots, and its price (the "ag_fill"
// members "qty" and "price_sats"; price absent when total is 0).
struct FillRemainder {
    uint64_t qty = 0;
    std::optional<uint64_t> price_sats;
};
FillRemainder fill_remainder(uint64_t total, uint64_t sold, uint64_t price_sats);

// "" or REPORT_TEXT_MESSAGE: the trimmed report must be well-formed UTF-8 of 1 to 2000 bytes.
std::string check_report_text(std::string_view text);

} // namespace trade
