#include "core/amount.h"

#include <cstdio>
#include <limits>

namespace core {
namespace {

// The largest whole-BSV part that still fits a signed 64-bit satoshi count.
constexpr uint64_t MAX_WHOLE_BSV = 92'233'720'368;
// Accumulation stops before the next digit could overflow an unsigned 64-bit value.
constexpr uint64_t MAX_BEFORE_DIGIT = 922'337'203'685'477'571;
constexpr int FRACTION_DIGITS = 8;

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

std::string format_magnitude(bool negative, uint64_t magnitude)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%08llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / SATS_PER_BSV),
                  static_cast<unsigned long long>(magnitude % SATS_PER_BSV));
    return buf;
}

} // namespace

std::string format_bsv(Amount sats)
{
    // The magnitude in unsigned arithmetic: negating the most negative value would overflow.
    uint64_t magnitude = sats < 0 ? uint64_t{0} - static_cast<uint64_t>(sats) : static_cast<uint64_t>(sats);
    return format_magnitude(sats < 0, magnitude);
}

std::string format_bsv_sats(uint64_t sats)
{
    return format_magnitude(false, sats);
}

std::optional<Amount> parse_bsv_amount(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    size_t digits = 0;
    uint64_t whole = 0;
    for (; i < text.size() && is_digit(text[i]); ++i, ++digits) {
        if (whole > MAX_BEFORE_DIGIT) return std::nullopt;
        whole = whole * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    uint64_t fraction = 0;
    if (i < text.size()) {
        if (text[i] != '.') return std::nullopt;
        ++i;
        int counted = 0;
        for (; i < text.size() && is_digit(text[i]); ++i, ++digits) {
            if (counted < FRACTION_DIGITS) {
                fraction = fraction * 10 + static_cast<uint64_t>(text[i] - '0');
                ++counted;
            }
        }
        for (; counted < FRACTION_DIGITS; ++counted) fraction *= 10;
    }
    if (digits == 0 || i != text.size() || whole > MAX_WHOLE_BSV) return std::nullopt;
    uint64_t total = whole * static_cast<uint64_t>(SATS_PER_BSV) + fraction;
    if (total == 0 || total > static_cast<uint64_t>(std::numeric_limits<Amount>::max())) return std::nullopt;
    return static_cast<Amount>(total);
}

} // namespace core
