#include "wallet/lots_cache.h"

#include "core/base58.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "net/ordinals_client.h"
#include "platform/atomic_file.h"
#include "tx/outpoint.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"

namespace wallet {

namespace {

std::filesystem::path cache_file(std::string_view origin, const char* extension)
{
    return data_dir() / "ord_cache" / (std::string(origin) + extension);
}

std::optional<std::filesystem::path> inbox_path(const std::string& address)
{
    auto hash = core::hash160_from_address(address);
    if (!hash) return std::nullopt;
    return data_dir() / "ord_inbox" / (core::hex_encode(*hash) + ".json");
}

std::string first_line(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

bool write_small_file(const std::filesystem::path& path, std::string_view content)
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    return platform::write_file_atomic(path, content, platform::FileAccess::OwnerOnly);
}

} // namespace

std::optional<CachedContent> read_content_cache(std::string_view origin)
{
    if (!net::is_outpoint_text(origin)) return std::nullopt;
    const auto bin = cache_file(origin, ".bin");
    std::error_code ec;
    const auto size = std::filesystem::file_size(bin, ec);
    if (ec || size == 0 || size > CONTENT_CACHE_MAX) return std::nullopt;
    auto bytes = read_text_file(bin);
    if (!bytes || bytes->empty() || bytes->size() > CONTENT_CACHE_MAX) return std::nullopt;
    CachedContent out;
    out.bytes = std::move(*bytes);
    out.type = first_line(read_text_file(cache_file(origin, ".typ")).value_or(""));
    out.name = first_line(read_text_file(cache_file(origin, ".nam")).value_or(""));
    return out;
}

bool write_content_cache(std::string_view origin, std::string_view bytes, std::string_view type, std::string_view name)
{
    if (!net::is_outpoint_text(origin) || bytes.empty() || bytes.size() > CONTENT_CACHE_MAX) return false;
    bool ok = write_small_file(cache_file(origin, ".bin"), bytes);
    ok = write_small_file(cache_file(origin, ".typ"), first_line(std::string(type)) + "\n") && ok;
    if (!name.empty()) ok = write_small_file(cache_file(origin, ".nam"), first_line(std::string(name)) + "\n") && ok;
    return ok;
}

std::string read_cached_name(std::string_view origin)
{
    if (!net::is_outpoint_text(origin)) return {};
    return first_line(read_text_file(cache_file(origin, ".nam")).value_or(""));
}

std::vector<TvOwnedOrd> read_inbox(const std::string& address)
{
    std::vector<TvOwnedOrd> out;
    auto path = inbox_path(address);
    if (!path) return out;
    auto doc = read_json_file(*path);
    if (!doc || !doc->is_array()) return out;
    for (const auto& entry : *doc) {
        TvOwnedOrd r;
        r.origin = core::json_string(entry, "origin");
        auto outpoint = net::is_outpoint_text(r.origin) ? tx::parse_outpoint(r.origin) : std::nullopt;
        if (!outpoint) continue;
        r.txid = outpoint->txid;
        r.vout = outpoint->vout;
        r.type = core::json_string(entry, "type");
        r.name = core::json_string(entry, "name");
        r.icon = core::json_string(entry, "icon");
        r.address = core::json_string(entry, "address");
        if (r.address.empty()) r.address = address;
        if (auto amt = core::json_member(entry, "amt")) r.amt = net::token_amount_text(*amt).value_or("");
        r.token_id = core::json_string(entry, "id");
        if (!r.token_id.empty() && r.type.empty()) r.type = "bsv-20";
        out.push_back(std::move(r));
    }
    return out;
}

void remove_inbox(const std::string& address)
{
    if (auto path = inbox_path(address)) {
        std::error_code ec;
        std::filesystem::remove(*path, ec);
    }
}

std::optional<LotSnapshot> read_lot_snapshot(const std::string& wallet_key)
{
    auto doc = read_json_file(data_dir() / "ord_snap" / (wallet_key + ".json"));
    if (!doc || !doc->is_object()) return std::nullopt;
    LotSnapshot out;
    if (const auto* lots = core::json_array(*doc, "lots")) {
        for (const auto& entry : *lots) {
            auto record = owned_ord_from_json(entry);
            if (record && !record->origin.empty()) out.lots.push_back(std::move(*record));
        }
    }
    for (const char* key : {"txids", "token_ids"}) {
        auto& list = std::string_view(key) == "txids" ? out.txids : out.token_ids;
        if (const auto* array = core::json_array(*doc, key)) {
            for (const auto& v : *array) {
                if (v.is_string()) list.push_back(v.get<std::string>());
            }
        }
    }
    return out;
}

bool write_lot_snapshot(const std::string& wallet_key, const LotSnapshot& snapshot)
{
    nlohmann::json lots = nlohmann::json::array();
    for (const auto& r : snapshot.lots) {
        nlohmann::json entry = {{"origin", r.origin}, {"txid", r.txid ? r.txid->hex() : std::string()}, {"vout", r.vout}};
        for (auto [key, value] : {std::pair<const char*, const std::string*>{"type", &r.type},
                                  {"name", &r.name}, {"icon", &r.icon}, {"address", &r.address}}) {
            if (!value->empty()) entry[key] = *value;
        }
        lots.push_back(std::move(entry));
    }
    nlohmann::json doc = {{"lots", lots}, {"txids", snapshot.txids}, {"token_ids", snapshot.token_ids}};
    return write_json_file(data_dir() / "ord_snap" / (wallet_key + ".json"), doc);
}

} // namespace wallet
