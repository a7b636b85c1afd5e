#include "wallet/owned_ord.h"

#include <limits>

#include "core/json_get.h"

namespace wallet {

namespace {

// Reads an optional string member into out. False when present with another type.
bool read_text(const nlohmann::json& obj, std::string_view key, std::string& out)
{
    const nlohmann::json* v = core::json_member(obj, key);
    if (!v || v->is_null()) return true;
    if (!v->is_string()) return false;
    out = v->get<std::string>();
    return true;
}

bool read_flag(const nlohmann::json& obj, std::string_view key, bool& out)
{
    const nlohmann::json* v = core::json_member(obj, key);
    if (!v || v->is_null()) return true;
    if (!v->is_boolean()) return false;
    out = v->get<bool>();
    return true;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim_blanks(std::string_view text)
{
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// The first max_chars UTF-8 characters of the text (a character is a lead byte and its
// continuation bytes).
std::string cut_chars(const std::string& text, size_t max_chars)
{
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0u) != 0x80u) {
            if (chars == max_chars) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

void put_text(nlohmann::json& obj, const char* key, const std::string& value)
{
    if (!value.empty()) obj[key] = value;
}

} // namespace

std::optional<TvOwnedOrd> owned_ord_from_json(const nlohmann::json& value)
{
    if (!value.is_object()) return std::nullopt;
    TvOwnedOrd r;
    std::string txid;
    bool ok = read_text(value, "origin", r.origin) && read_text(value, "txid", txid)
              && read_text(value, "type", r.type) && read_text(value, "address", r.address)
              && read_text(value, "name", r.name) && read_text(value, "icon", r.icon)
              && read_text(value, "amt", r.amt) && read_text(value, "dec", r.dec)
              && read_text(value, "token_id", r.token_id) && read_flag(value, "hidden", r.hidden)
              && read_flag(value, "created", r.created);
    if (!ok) return std::nullopt;
    r.txid = tx::Txid::parse(txid);
    if (txid != (r.txid ? r.txid->hex() : std::string())) r.m_txid_text = std::move(txid);
    if (const nlohmann::json* vout = core::json_member(value, "vout"); vout && !vout->is_null()) {
        if (!vout->is_number_integer()) return std::nullopt;
        auto n = core::json_number_as_int64(*vout);
        if (!n || *n < 0 || *n > std::numeric_limits<uint32_t>::max()) return std::nullopt;
        r.vout = static_cast<uint32_t>(*n);
    }
    return r;
}

nlohmann::json owned_ord_to_json(const TvOwnedOrd& r)
{
    const bool unchanged = !r.m_txid_text.empty() && tx::Txid::parse(r.m_txid_text) == r.txid;
    const std::string txid = unchanged ? r.m_txid_text : r.txid ? r.txid->hex() : std::string();
    nlohmann::json obj = {{"origin", r.origin}, {"txid", txid}, {"vout", r.vout}, {"created", r.created}};
    put_text(obj, "type", r.type);
    put_text(obj, "address", r.address);
    put_text(obj, "name", r.name);
    put_text(obj, "icon", r.icon);
    put_text(obj, "amt", r.amt);
    put_text(obj, "dec", r.dec);
    put_text(obj, "token_id", r.token_id);
    if (r.hidden) obj["hidden"] = true;
    return obj;
}

std::optional<std::vector<TvOwnedOrd>> owned_ords_from_json(const nlohmann::json& array)
{
    std::vector<TvOwnedOrd> out;
    if (!array.is_array()) return out;
    for (const auto& element : array) {
        if (!element.is_object()) continue;
        auto record = owned_ord_from_json(element);
        if (!record) return std::nullopt;
        if (!record->origin.empty()) out.push_back(std::move(*record));
    }
    return out;
}

nlohmann::json owned_ords_to_json(const std::vector<TvOwnedOrd>& records)
{
    nlohmann::json array = nlohmann::json::array();
    for (const auto& r : records) array.push_back(owned_ord_to_json(r));
    return array;
}

std::string normalize_handle(std::string_view text, std::string_view paymail_domain)
{
    std::string_view h = trim_blanks(text);
    while (!h.empty() && (h.front() == '@' || h.front() == '$')) h.remove_prefix(1);
    h = trim_blanks(h);
    if (h.size() >= 26 && h.front() == '1') return std::string(h);
    std::string out(h);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const size_t at = out.find('@');
    if (at != std::string::npos && !paymail_domain.empty()) {
        std::string domain(paymail_domain);
        for (char& c : domain) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (out.compare(at + 1, std::string::npos, domain) == 0) out.erase(at);
    }
    return out;
}

std::optional<std::vector<TvContact>> contacts_from_json(const nlohmann::json& array,
                                                         std::string_view paymail_domain)
{
    std::vector<TvContact> out;
    if (!array.is_array()) return out;
    for (const auto& element : array) {
        if (!element.is_object()) continue;
        std::string dest, note;
        if (!read_text(element, "dest", dest) || !read_text(element, "note", note)) return std::nullopt;
        dest = normalize_handle(dest, paymail_domain);
        if (dest.empty()) continue;
        out.push_back({std::move(dest), cut_chars(note, CONTACT_NOTE_MAX)});
    }
    return out;
}

nlohmann::json contacts_to_json(const std::vector<TvContact>& contacts)
{
    nlohmann::json array = nlohmann::json::array();
    for (const auto& c : contacts) {
        nlohmann::json obj = {{"dest", c.dest}};
        put_text(obj, "note", cut_chars(c.note, CONTACT_NOTE_MAX));
        array.push_back(std::move(obj));
    }
    return array;
}

} // namespace wallet
