#include "core/hex.h"

namespace core {
namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string hex_encode(ByteView bytes)
{
    std::string out;
    out.resize(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        out[2 * i] = HEX_DIGITS[bytes[i] >> 4];
        out[2 * i + 1] = HEX_DIGITS[bytes[i] & 0x0f];
    }
    return out;
}

bool hex_decode_to(std::string_view text, std::span<uint8_t> out)
{
    if (text.size() != out.size() * 2) return false;
    for (size_t i = 0; i < out.size(); ++i) {
        int hi = hex_value(text[2 * i]);
        int lo = hex_value(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<uint8_t>((hi << 4) | lo);
    }
    return true;
}

std::optional<Bytes> hex_decode(std::string_view text)
{
    if (text.size() % 2 != 0) return std::nullopt;
    Bytes out(text.size() / 2);
    if (!hex_decode_to(text, out)) return std::nullopt;
    return out;
}

std::optional<Bytes> hex_decode_loose(std::string_view text)
{
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    return hex_decode(text);
}

bool is_hex_digit(char c)
{
    return hex_value(c) >= 0;
}

bool is_hex64(std::string_view text)
{
    if (text.size() != 64) return false;
    for (char c : text) {
        if (!is_hex_digit(c)) return false;
    }
    return true;
}

} // namespace core
