#include "wallet/decimal_sum.h"

#include <algorithm>

namespace wallet {

namespace {

bool all_digits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<std::string> decimal_sum(std::string_view a, std::string_view b)
{
    if (!all_digits(a) || !all_digits(b)) return std::nullopt;
    std::string out;
    out.reserve(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    for (size_t i = 0; i < a.size() || i < b.size() || carry; ++i) {
        int digit = carry;
        if (i < a.size()) digit += a[a.size() - 1 - i] - '0';
        if (i < b.size()) digit += b[b.size() - 1 - i] - '0';
        out.push_back(static_cast<char>('0' + digit % 10));
        carry = digit / 10;
    }
    size_t used = out.size();
    while (used > 1 && out[used - 1] == '0') --used;
    if (used == 0) return std::string(1, '0');
    return std::string(out.rbegin() + static_cast<std::ptrdiff_t>(out.size() - used), out.rend());
}

} // namespace wallet
