#include "trade/dialog_checks.h"

#include <limits>

#include "book/post.h"
#include "book/reduce.h"
#include "core/amount.h"
#include "core/text.h"

namespace trade {

std::string trim_box_text(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    if (last == std::string_view::npos || last < first) return {};
    return std::string(text.substr(first, last - first + 1));
}

std::optional<core::Amount> parse_price_box(std::string_view text)
{
    if (text.size() > BOX_TEXT_MAX) return std::nullopt;
    return core::parse_bsv_amount(trim_box_text(text));
}

std::optional<TradeError> check_note(std::string_view text)
{
    std::string note = trim_box_text(text);
    if (note.empty() || note.size() > NOTE_BYTES_MAX || core::utf8_to_wide(note).empty()) return TradeError(TradeCode::NoteBad);
    return std::nullopt;
}

std::optional<uint64_t> leading_number(std::string_view text)
{
    uint64_t value = 0;
    size_t digits = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        uint64_t d = static_cast<uint64_t>(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - d) / 10) return std::nullopt;
        value = value * 10 + d;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

ListQuantity list_quantity(std::string_view box, bool picture, std::string_view held)
{
    if (picture) return {"1", std::nullopt};
    if (box.size() > BOX_TEXT_MAX) return {"", TradeCode::QtyWhole};
    std::string text = trim_box_text(box);
    if (text.empty() || text == "0") return {"", TradeCode::QtyAtLeastOne};
    auto q = leading_number(text);
    if (!q) return {"", TradeCode::QtyWhole};
    auto have = leading_number(trim_box_text(held));
    if (*q < 1 || !have || *q > *have) return {"", TradeCode::QtyHeld};
    return {std::to_string(*q), std::nullopt};
}

uint64_t pro_rata(uint64_t q, uint64_t price, uint64_t total)
{
    if (total == 0) return 0;
    return book::mul_div_floor(q, price, total);
}

BuyPayment buy_payment(std::string_view box, std::string_view listing_qty, uint64_t price_sats)
{
    const auto refused = [](TradeCode code) { return BuyPayment{"", 0, TradeError(code)}; };
    if (box.size() > BOX_TEXT_MAX) return refused(TradeCode::QtyWhole);
    std::string text = trim_box_text(box);
    if (text.empty() || text == "0") return refused(TradeCode::QtyAtLeastOne);
    if (text == listing_qty) return price_sats == 0 ? refused(TradeCode::QtyPaysNothing) : BuyPayment{text, price_sats, std::nullopt};
    auto q = book::parse_decimal_u64(text);
    if (!q) return refused(TradeCode::QtyWhole);
    auto total = book::parse_decimal_u64(listing_qty);
    if (!total || *total == 0 || *q < 1 || *q > *total) return refused(TradeCode::QtyOverListing);
    // "007" asks for 7 lots; the post carries the number as the listing writes it.
    std::string qty = *q == *total ? std::string(listing_qty) : std::to_string(*q);
    uint64_t pay = *q == *total ? price_sats : pro_rata(*q, price_sats, *total);
    if (pay == 0) return refused(TradeCode::QtyPaysNothing);
    return {qty, pay, std::nullopt};
}

FillRemainder fill_remainder(uint64_t total, uint64_t sold, uint64_t price_sats)
{
    FillRemainder out;
    out.qty = sold < total ? total - sold : 0;
    if (total > 0) out.price_sats = pro_rata(out.qty, price_sats, total);
    return out;
}

std::optional<TradeError> check_report_text(std::string_view text)
{
    std::string report = trim_box_text(text);
    if (report.empty() || report.size() > REPORT_BYTES_MAX || core::utf8_to_wide(report).empty())
        return TradeError(TradeCode::ReportTextBad);
    return std::nullopt;
}

} // namespace trade
