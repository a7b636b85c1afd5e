#include "devnet/indexer_data.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/base64.h"
#include "core/hash.h"
#include "core/json_get.h"
#include "core/text.h"
#include "tx/outpoint.h"

namespace devnet {

namespace {

constexpr size_t MAX_INDEXED_BODY = 1024;

bool valid_utf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<uint8_t>(text[i]);
        size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (text.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

bool starts_with_ci(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && core::ascii_lower(text.substr(0, prefix.size())) == prefix;
}


} // namespace

std::optional<uint64_t> parse_u64_text(std::string_view text)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

nlohmann::json inscription_data(const tx::Envelope& envelope)
{
    nlohmann::json insc = nlohmann::json::object();
    auto hash = core::sha256(envelope.body);
    insc["file"] = {{"hash", core::base64_encode(hash)}, {"size", envelope.body.size()}, {"type", envelope.content_type}};
    std::string_view body(reinterpret_cast<const char*>(envelope.body.data()), envelope.body.size());
    std::string type = "file";
    bool readable = envelope.body.size() <= MAX_INDEXED_BODY && valid_utf8(body) &&
                    body.find('\0') == std::string_view::npos &&
                    (starts_with_ci(envelope.content_type, "application") || starts_with_ci(envelope.content_type, "text"));
    if (readable) {
        if (auto parsed = core::parse_json(body)) {
            insc["json"] = *parsed;
            type = "json";
        } else {
            insc["text"] = std::string(body);
            nlohmann::json words = nlohmann::json::array();
            size_t pos = 0;
            while (pos < body.size()) {
                size_t start = body.find_first_not_of(" \t\r\n", pos);
                if (start == std::string_view::npos) break;
                size_t end = body.find_first_of(" \t\r\n", start);
                if (end == std::string_view::npos) end = body.size();
                words.push_back(std::string(body.substr(start, end - start)));
                pos = end;
            }
            insc["words"] = std::move(words);
            type = "text";
        }
    }
    return {{"insc", std::move(insc)}, {"types", nlohmann::json::array({type})}};
}

std::optional<TokenBody> parse_token_body(const tx::Envelope& envelope, std::string_view txid, uint32_t vout)
{
    if (!starts_with_ci(envelope.content_type, "application/bsv-20")) return std::nullopt;
    if (envelope.body.size() > MAX_INDEXED_BODY) return std::nullopt;
    std::string_view body(reinterpret_cast<const char*>(envelope.body.data()), envelope.body.size());
    auto doc = core::parse_json(body);
    if (!doc || !doc->is_object()) return std::nullopt;
    for (const auto& item : doc->items()) {
        if (!item.value().is_string()) return std::nullopt;  // every value must be text
    }
    if (core::json_string(*doc, "p") != "bsv-20") return std::nullopt;
    TokenBody token;
    token.op = core::ascii_lower(core::json_string(*doc, "op"));
    auto amt = parse_u64_text(core::json_string(*doc, "amt"));
    if (!amt) return std::nullopt;
    token.amt = *amt;
    if (token.op == "deploy+mint") {
        token.id = tx::format_outpoint(txid, vout);
        token.sym = core::json_string(*doc, "sym");
        token.icon = core::json_string(*doc, "icon");
        if (!token.icon.empty() && token.icon[0] == '_') token.icon = std::string(txid) + token.icon;
        if (auto dec_text = core::json_string_opt(*doc, "dec")) {
            auto dec = parse_u64_text(*dec_text);
            if (!dec || *dec > 18) return std::nullopt;
            token.dec = static_cast<int>(*dec);
        }
        return token;
    }
    if (token.op == "transfer" || token.op == "burn") {
        std::string id = core::json_string(*doc, "id");
        auto outpoint = tx::parse_outpoint(id);
        if (id.size() < 66 || !outpoint || id[64] != '_') return std::nullopt;
        token.id = tx::format_outpoint(*outpoint);
        return token;
    }
    return std::nullopt;
}

} // namespace devnet
