#include "tx/outpoint.h"


namespace tx {

namespace {

constexpr size_t TXID_LENGTH = 64;
constexpr size_t MAX_INDEX_DIGITS = 10;

std::optional<uint32_t> parse_index(std::string_view digits)
{
    if (digits.empty() || digits.size() > MAX_INDEX_DIGITS) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

} // namespace

std::optional<Outpoint> parse_outpoint(std::string_view text)
{
    const size_t separator = text.find_last_of("_:");
    if (separator != TXID_LENGTH) return std::nullopt;
    std::optional<Txid> txid = Txid::parse(text.substr(0, TXID_LENGTH));
    if (!txid) return std::nullopt;
    auto index = parse_index(text.substr(separator + 1));
    if (!index) return std::nullopt;
    return Outpoint{std::move(*txid), *index};
}

std::string format_outpoint(std::string_view txid, uint32_t vout)
{
    std::string text(txid);
    text += '_';
    text += std::to_string(vout);
    return text;
}

std::string format_outpoint(const Txid& txid, uint32_t vout)
{
    return format_outpoint(txid.hex(), vout);
}

std::string format_outpoint(const Outpoint& outpoint)
{
    return format_outpoint(outpoint.txid, outpoint.vout);
}

} // namespace tx
