#include "funding/reserves.h"

#include <algorithm>

#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "funding/outpoint_text.h"
#include "net/text.h"
#include "platform/data_dir.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

constexpr std::string_view MEMBER = "reserves";
constexpr size_t MIN_OUTPOINT = 66;  // 64 hex digits, "_", at least one digit

std::vector<Reserve> load(const std::filesystem::path& path)
{
    std::vector<Reserve> out;
    StoreRead read = read_store(path, MEMBER);
    const auto* list = core::json_array(read.doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_object()) continue;
        out.push_back({core::json_string(e, "utxo"), core::json_string(e, "origin"), core::json_string(e, "listing"),
                       core::json_int64(e, "exp", 0)});
    }
    return out;
}

bool save(const std::filesystem::path& path, const std::vector<Reserve>& reserves)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : reserves) {
        list.push_back({{"utxo", r.utxo}, {"origin", r.origin}, {"listing", r.listing}, {"exp", r.exp}});
    }
    return write_store(path, MEMBER, {{std::string(MEMBER), std::move(list)}});
}

} // namespace

std::filesystem::path reserves_path()
{
    wallet::WalletLock lock;
    return platform::data_dir() / "agoran" / ("reserves_" + reserve_file_key(wallet::active_wallet_id()) + ".json");
}

std::vector<Reserve> reserve_list()
{
    wallet::WalletLock lock;
    return load(reserves_path());
}

std::string reserve_add(std::string_view outpoint, std::string_view origin, int64_t exp)
{
    wallet::WalletLock lock;
    std::string utxo = normalize_outpoint(outpoint);
    if (utxo.size() < MIN_OUTPOINT) return "error: bad UTXO.";
    auto path = reserves_path();
    auto reserves = load(path);
    for (const auto& r : reserves) {
        if (r.utxo == utxo) return "error: that UTXO is already listed.";
    }
    reserves.push_back({utxo, std::string(origin), "", exp});
    if (!save(path, reserves)) return "error: could not write Agoran reserve.";
    return "";
}

std::string reserve_bind_listing(std::string_view outpoint, std::string_view listing_id)
{
    wallet::WalletLock lock;
    std::string utxo = normalize_outpoint(outpoint);
    auto path = reserves_path();
    auto reserves = load(path);
    auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
    if (utxo.empty() || it == reserves.end()) return "error: no reserve for that UTXO.";
    it->listing = net::lower_ascii(listing_id);
    if (!save(path, reserves)) return "error: could not update Agoran reserve.";
    return "";
}

std::string reserve_rebind(std::string_view listing_id, std::string_view new_outpoint)
{
    wallet::WalletLock lock;
    std::string utxo = normalize_outpoint(new_outpoint);
    if (listing_id.size() != 64 || utxo.size() < MIN_OUTPOINT) return "error: bad rebind.";
    std::string listing = net::lower_ascii(listing_id);
    auto path = reserves_path();
    auto reserves = load(path);
    auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.listing == listing; });
    if (it == reserves.end()) return "error: no reserve for that listing.";
    it->utxo = utxo;
    if (!save(path, reserves)) return "error: could not update Agoran reserve.";
    return "";
}

bool reserve_remove(std::string_view key)
{
    wallet::WalletLock lock;
    if (key.empty()) return true;
    std::string utxo = normalize_outpoint(key);
    std::string listing = net::lower_ascii(key);
    auto path = reserves_path();
    auto reserves = load(path);
    auto gone = std::remove_if(reserves.begin(), reserves.end(),
                               [&](const Reserve& r) { return r.utxo == utxo || (!r.listing.empty() && r.listing == listing); });
    if (gone == reserves.end()) return true;
    reserves.erase(gone, reserves.end());
    return save(path, reserves);
}

bool reserve_holds(std::string_view txid, uint32_t vout)
{
    wallet::WalletLock lock;
    std::string utxo = lock_key(txid, vout);
    auto reserves = load(reserves_path());
    return std::any_of(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
}

std::string reserve_for_listing(std::string_view listing_id)
{
    wallet::WalletLock lock;
    if (listing_id.empty()) return "";
    std::string listing = net::lower_ascii(listing_id);
    for (const auto& r : load(reserves_path())) {
        if (r.listing == listing) return r.utxo;
    }
    return "";
}

} // namespace funding
