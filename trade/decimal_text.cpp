#include "trade/decimal_text.h"

#include <algorithm>

namespace trade {

std::string normalize_decimal(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(" \t");
    std::string_view digits = text.substr(first, last - first + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};
    size_t lead = digits.find_first_not_of('0');
    if (lead == std::string_view::npos) return "0";
    return std::string(digits.substr(lead));
}

int compare_decimal(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string subtract_decimal(const std::string& a, const std::string& b)
{
    if (compare_decimal(a, b) < 0) return {};
    std::string out(a.size(), '0');
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int da = a[a.size() - 1 - i] - '0';
        int db = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        int d = da - db - borrow;
        borrow = d < 0 ? 1 : 0;
        out[a.size() - 1 - i] = static_cast<char>('0' + (d + 10 * borrow));
    }
    size_t lead = out.find_first_not_of('0');
    return lead == std::string::npos ? "0" : out.substr(lead);
}

} // namespace trade
