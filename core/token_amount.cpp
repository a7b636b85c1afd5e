#include "core/token_amount.h"

#include <algorithm>

#include "core/text.h"

namespace core {

namespace {

bool all_digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view without_leading_zeros(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

bool decimals_valid(int decimals) { return decimals >= 0 && decimals <= MAX_TOKEN_DECIMALS; }

// "1,234,567" -> "1234567": the first group one to three digits, every later one three.
std::optional<std::string> ungroup(std::string_view whole)
{
    std::string out;
    size_t start = 0;
    for (bool first = true;; first = false) {
        const size_t comma = whole.find(',', start);
        const std::string_view group = whole.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const bool fits = first ? (!group.empty() && (group.size() <= 3 || comma == std::string_view::npos)) : group.size() == 3;
        if (!fits) return std::nullopt;
        out += group;
        if (comma == std::string_view::npos) return out;
        start = comma + 1;
    }
}

} // namespace

std::string group_digits(std::string_view digits)
{
    if (!all_digits(digits)) return std::string(digits);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::optional<std::string> format_token_amount(std::string_view base_units, int decimals)
{
    if (!all_digits(base_units) || !decimals_valid(decimals)) return std::nullopt;
    std::string digits(without_leading_zeros(base_units));
    const size_t places = static_cast<size_t>(decimals);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    const std::string whole = digits.substr(0, digits.size() - places);
    std::string fraction = digits.substr(digits.size() - places);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string out = group_digits(whole);
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

std::optional<std::string> parse_token_amount(std::string_view text, int decimals)
{
    if (!decimals_valid(decimals)) return std::nullopt;
    const std::string trimmed(core::trim_ascii_space(text));
    const size_t point = trimmed.find('.');
    const std::string_view all(trimmed);
    const std::string_view whole_text = all.substr(0, point);
    const std::string_view fraction = point == std::string::npos ? std::string_view() : all.substr(point + 1);
    if (whole_text.empty() && fraction.empty()) return std::nullopt;
    const auto whole = whole_text.empty() ? std::optional<std::string>("0") : ungroup(whole_text);
    if (!whole || !all_digits(*whole)) return std::nullopt;
    if (point != std::string::npos && (fraction.empty() || !all_digits(fraction))) return std::nullopt;
    if (fraction.size() > static_cast<size_t>(decimals)) return std::nullopt;
    std::string units = *whole + std::string(fraction) + std::string(static_cast<size_t>(decimals) - fraction.size(), '0');
    return std::string(without_leading_zeros(units));
}

} // namespace core
