#include "core/text.h"

#include "core/hex.h"

namespace core {

std::u16string utf8_to_wide(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint8_t lead = static_cast<uint8_t>(text[i]);
        uint32_t cp = 0;
        size_t extra = 0;
        uint32_t min_cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            cp = lead & 0x1f;
            extra = 1;
            min_cp = 0x80;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            cp = lead & 0x0f;
            extra = 2;
            min_cp = 0x800;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            cp = lead & 0x07;
            extra = 3;
            min_cp = 0x10000;
        } else {
            return {};  // continuation byte as lead, 0xc0/0xc1 overlong leads, 0xf5 and above
        }
        if (text.size() - i - 1 < extra) return {};
        for (size_t k = 1; k <= extra; ++k) {
            uint8_t cont = static_cast<uint8_t>(text[i + k]);
            if ((cont & 0xc0) != 0x80) return {};
            cp = (cp << 6) | (cont & 0x3f);
        }
        if (cp < min_cp || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return {};
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += 1 + extra;
    }
    return out;
}

std::string ascii_lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trim_ascii_space(std::string_view text)
{
    auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

} // namespace core
