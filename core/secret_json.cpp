#include "core/secret_json.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/json_get.h"

namespace core {

namespace {

bool is_json_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool read_hex4(std::string_view raw, size_t at, unsigned& out)
{
    if (at + 4 > raw.size()) return false;
    out = 0;
    for (size_t i = 0; i < 4; ++i) {
        const int v = hex_value(raw[at + i]);
        if (v < 0) return false;
        out = out * 16 + static_cast<unsigned>(v);
    }
    return true;
}

void put_utf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Length of the well-formed UTF-8 sequence at raw[at] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0.
size_t utf8_length(std::string_view raw, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(raw[i]); };
    const unsigned char b0 = byte(at);
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) n = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (at + n > raw.size()) return 0;
    if (byte(at + 1) < lo || byte(at + 1) > hi) return 0;
    for (size_t i = 2; i < n; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return n;
}

// Decodes the characters between the quotes of a JSON string literal into out, whose capacity
// already holds them (a decoded string is never longer than its literal). False on a control
// character, a bad escape, a lone surrogate or malformed UTF-8.
bool decode_literal(std::string_view raw, std::string& out)
{
    for (size_t i = 0; i < raw.size();) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c < 0x20) return false;
        if (c >= 0x80) {
            const size_t n = utf8_length(raw, i);
            if (n == 0) return false;
            out.append(raw.substr(i, n));
            i += n;
            continue;
        }
        if (c != '\\') {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (i + 1 >= raw.size()) return false;
        const char e = raw[i + 1];
        i += 2;
        switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
            unsigned code = 0;
            if (!read_hex4(raw, i, code)) return false;
            i += 4;
            if (code >= 0xDC00 && code <= 0xDFFF) return false;
            if (code >= 0xD800 && code <= 0xDBFF) {
                unsigned low = 0;
                if (i + 2 > raw.size() || raw[i] != '\\' || raw[i + 1] != 'u' || !read_hex4(raw, i + 2, low)) return false;
                if (low < 0xDC00 || low > 0xDFFF) return false;
                i += 6;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            put_utf8(out, code);
            break;
        }
        default: return false;
        }
    }
    return true;
}

// Every string value of the document: decoded, in text order. Wiped when the holder dies.
struct DecodedValues {
    std::vector<std::string> values;
    ~DecodedValues()
    {
        for (auto& v : values) secure_wipe(v);
    }
};

// Puts the decoded values back where the placeholders "\u0000<n>" stand. False when a
// placeholder is unknown or repeated.
bool restore_values(Json& node, DecodedValues& decoded, std::vector<bool>& used)
{
    if (node.is_string()) {
        const std::string& text = node.get_ref<const std::string&>();
        if (text.empty() || text[0] != '\0') return false;
        size_t index = 0;
        for (size_t i = 1; i < text.size(); ++i) index = index * 10 + static_cast<size_t>(text[i] - '0');
        if (index >= decoded.values.size() || used[index]) return false;
        used[index] = true;
        node = std::move(decoded.values[index]);
        secure_wipe(decoded.values[index]);  // a short value stays inside the moved-from string
        return true;
    }
    if (node.is_structured()) {
        for (auto& element : node) {
            if (!restore_values(element, decoded, used)) return false;
        }
    }
    return true;
}

// Writes the serialiser's output into a string whose every released buffer is wiped first.
class WipingOutput final : public nlohmann::detail::output_adapter_protocol<char> {
public:
    explicit WipingOutput(std::string& out) : m_out(out) {}
    void write_character(char c) override
    {
        make_room(1);
        m_out.push_back(c);
    }
    void write_characters(const char* s, std::size_t length) override
    {
        make_room(length);
        m_out.append(s, length);
    }

private:
    void make_room(size_t more)
    {
        if (m_out.size() + more <= m_out.capacity()) return;
        std::string bigger;
        bigger.reserve(std::max(m_out.capacity() * 2, m_out.size() + more));
        bigger.assign(m_out);
        secure_wipe(m_out);
        m_out = std::move(bigger);
    }
    std::string& m_out;
};

} // namespace

std::optional<Json> parse_secret_json(std::string_view text)
{
    // The library reads a NUL byte as the end of the text (inside a literal it is a control
    // character, refused either way): what follows is not looked at.
    text = text.substr(0, text.find('\0'));
    // The literals: keys (a literal followed by ":") stay in the text the library parses; every
    // value is replaced by a placeholder naming its decoded copy.
    size_t literals = 0;
    for (char c : text) literals += c == '"';
    DecodedValues decoded;
    decoded.values.reserve(literals / 2 + 1);  // never reallocated: no copy is moved around
    std::string masked;
    masked.reserve(text.size() + 8 * (literals / 2 + 1));
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '"') {
            masked.push_back(text[i++]);
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
        if (end >= text.size()) return std::nullopt;  // an unterminated literal: not JSON
        const std::string_view raw = text.substr(i + 1, end - i - 1);
        size_t next = end + 1;
        while (next < text.size() && is_json_blank(text[next])) ++next;
        if (next < text.size() && text[next] == ':') {
            masked.append(text.substr(i, end + 1 - i));  // a member name
        } else {
            std::string value;
            value.reserve(raw.size());
            const bool ok = decode_literal(raw, value);
            decoded.values.push_back(std::move(value));
            if (!ok) return std::nullopt;
            masked += "\"\\u0000" + std::to_string(decoded.values.size() - 1) + "\"";
        }
        i = end + 1;
    }
    auto doc = parse_json(masked);
    if (!doc) return std::nullopt;
    // A value left unused was overwritten by a later member of the same name, as the library
    // keeps the last one; the holder wipes it.
    std::vector<bool> used(decoded.values.size(), false);
    if (!restore_values(*doc, decoded, used)) {
        struct Wipe {
            static void all(Json& node)
            {
                if (node.is_string()) secure_wipe(node.get_ref<std::string&>());
                else if (node.is_structured()) for (auto& e : node) all(e);
            }
        };
        Wipe::all(*doc);
        return std::nullopt;
    }
    return doc;
}

SecretString dump_secret_json_file(const Json& value)
{
    std::string text;
    text.reserve(1024);
    {
        nlohmann::detail::serializer<Json> out(std::make_shared<WipingOutput>(text), ' ', Json::error_handler_t::replace);
        out.dump(value, true, false, 2);
    }
    WipingOutput(text).write_character('\n');
    return SecretString(std::move(text));
}

} // namespace core
