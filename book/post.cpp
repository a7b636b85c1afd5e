#include "book/post.h"

#include <charconv>
#include <cmath>

#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/text.h"

namespace book {
namespace {

// Reads the first push of a data carrier script. Empty when the script is not one.
std::optional<std::string_view> first_data_push(const core::Bytes& script)
{
    size_t pos = 0;
    if (pos < script.size() && script[pos] == 0x00) ++pos;
    if (pos >= script.size() || script[pos] != 0x6a) return std::nullopt;
    ++pos;
    if (pos >= script.size()) return std::nullopt;
    uint8_t op = script[pos++];
    uint64_t len = 0;
    size_t width = 0;
    if (op < 0x4c) {
        len = op;
    } else if (op == 0x4c) {
        width = 1;
    } else if (op == 0x4d) {
        width = 2;
    } else if (op == 0x4e) {
        width = 4;
    } else {
        return std::nullopt;
    }
    if (width > 0) {
        if (script.size() - pos < width) return std::nullopt;
        for (size_t i = 0; i < width; ++i) len |= static_cast<uint64_t>(script[pos + i]) << (8 * i);
        pos += width;
    }
    if (len == 0 || len > script.size() - pos) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(script.data() + pos), len);
}

std::optional<Json> post_from_script(const core::Bytes& script)
{
    std::optional<std::string_view> push = first_data_push(script);
    return push ? post_from_push(*push) : std::nullopt;
}

std::optional<Json> post_from_output(const Json& output)
{
    const Json* spk = core::json_object(output, "scriptPubKey");
    if (!spk) return std::nullopt;
    std::optional<std::string> hex = core::json_string_opt(*spk, "hex");
    if (!hex || hex->size() < 4) return std::nullopt;
    std::optional<core::Bytes> script = core::hex_decode(*hex);
    return script ? post_from_script(*script) : std::nullopt;
}

// Whether the bytes can be a flat JSON object: an opening brace first, and no bracket or brace
// after it outside strings but the closing one. Cheap, and it keeps a deeply nested value from
// being built at all.
bool looks_flat(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || text[start] != '{') return false;
    bool in_string = false;
    bool escaped = false;
    int closings = 0;
    for (size_t i = start + 1; i < text.size(); ++i) {
        char c = text[i];
        if (in_string) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            return false;
        } else if (c == '}' || c == ']') {
            if (c == ']' || ++closings > 1) return false;
        }
    }
    return closings == 1;
}

// "-123", "123", "123.9" (fraction truncated). nullopt for anything else.
std::optional<int64_t> parse_number_text(std::string_view text)
{
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    if (dot != std::string_view::npos) {
        std::string_view frac = text.substr(dot + 1);
        if (frac.empty()) return std::nullopt;
        for (char c : frac) {
            if (c < '0' || c > '9') return std::nullopt;
        }
    }
    std::string_view digits = whole;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty()) return std::nullopt;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
    if (ec != std::errc() || end != whole.data() + whole.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<Json> post_from_push(std::string_view bytes)
{
    if (bytes.size() > MAX_POST_BYTES || !looks_flat(bytes)) return std::nullopt;
    std::optional<Json> doc = core::parse_json(bytes);
    if (!doc || !doc->is_object()) return std::nullopt;
    for (const auto& [key, value] : doc->items()) {
        if (value.is_structured()) return std::nullopt;
    }
    if (core::json_string(*doc, "protocol") != POST_PROTOCOL) return std::nullopt;
    return doc;
}

std::optional<Json> read_post(const std::vector<tx::RawTxOutput>& outputs)
{
    for (const tx::RawTxOutput& output : outputs) {
        if (std::optional<Json> post = post_from_script(output.script)) return post;
    }
    return std::nullopt;
}

std::optional<Json> read_post_from_tx(const Json& tx)
{
    const Json* vout = core::json_array(tx, "vout");
    if (!vout) return std::nullopt;
    for (const Json& output : *vout) {
        if (std::optional<Json> post = post_from_output(output)) return post;
    }
    return std::nullopt;
}

std::string post_string(const Json& post, std::string_view key)
{
    return core::json_string(post, key);
}

std::string post_string_or(const Json& post, std::string_view key, std::string_view fallback)
{
    if (core::json_member(post, key)) return core::json_string(post, key);
    return core::json_string(post, fallback);
}

int64_t post_int(const Json& post, std::string_view key)
{
    return core::json_int64(post, key, 0);
}

std::optional<uint64_t> post_u64_opt(const Json& post, std::string_view key)
{
    const Json* v = core::json_member(post, key);
    if (!v) return std::nullopt;
    if (v->is_number_unsigned()) return v->get<uint64_t>();
    if (v->is_number_integer()) {
        int64_t i = v->get<int64_t>();
        return i < 0 ? 0 : static_cast<uint64_t>(i);
    }
    if (v->is_number_float()) {
        double d = v->get<double>();
        if (!std::isfinite(d) || d < 1.0) return 0;
        if (d >= 18446744073709551616.0) return 0;
        return static_cast<uint64_t>(d);
    }
    return std::nullopt;
}

uint64_t post_u64(const Json& post, std::string_view key)
{
    return post_u64_opt(post, key).value_or(0);
}

int64_t post_number(const Json& post, std::string_view key)
{
    const Json* v = core::json_member(post, key);
    if (!v) return 0;
    if (v->is_string()) return parse_number_text(v->get_ref<const std::string&>()).value_or(0);
    return core::json_number_as_int64(*v).value_or(0);
}

std::string post_pubkey(const Json& post)
{
    std::string text = post_string_or(post, "pubkey", "publicKey");
    if (text.empty()) return text;
    if (std::optional<core::Bytes> bytes = core::hex_decode_loose(text)) {
        std::string key = core::normalize_pubkey(*bytes);
        if (!key.empty()) return key;
    }
    return core::ascii_lower(text);
}

std::string normalize_handle(std::string_view handle)
{
    std::string_view h = core::trim_ascii_space(handle);
    if (!h.empty() && (h.front() == '@' || h.front() == '$')) h.remove_prefix(1);
    return std::string(core::trim_ascii_space(h));
}

std::optional<uint64_t> parse_decimal_u64(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace book
