#include "core/base64.h"

namespace core {
namespace {

constexpr char BASE64_ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet_value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool is_skipped(char c)
{
    return c == '=' || c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string base64_encode(ByteView bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t n = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        out.push_back(BASE64_ALPHABET[(n >> 18) & 63]);
        out.push_back(BASE64_ALPHABET[(n >> 12) & 63]);
        out.push_back(BASE64_ALPHABET[(n >> 6) & 63]);
        out.push_back(BASE64_ALPHABET[n & 63]);
    }
    size_t rest = bytes.size() - i;
    if (rest == 1) {
        uint32_t n = uint32_t{bytes[i]} << 16;
        out.push_back(BASE64_ALPHABET[(n >> 18) & 63]);
        out.push_back(BASE64_ALPHABET[(n >> 12) & 63]);
        out.append("==");
    } else if (rest == 2) {
        uint32_t n = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8);
        out.push_back(BASE64_ALPHABET[(n >> 18) & 63]);
        out.push_back(BASE64_ALPHABET[(n >> 12) & 63]);
        out.push_back(BASE64_ALPHABET[(n >> 6) & 63]);
        out.push_back('=');
    }
    return out;
}

std::optional<Bytes> base64_decode(std::string_view text)
{
    Bytes out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        if (is_skipped(c)) continue;
        int value = sextet_value(c);
        if (value < 0) return std::nullopt;
        acc = ((acc << 6) | static_cast<uint32_t>(value)) & 0xffff;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>((acc >> bits) & 0xff));
        }
    }
    return out;
}

} // namespace core
