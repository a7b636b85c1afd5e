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
const std::string BUSY = "error: another program is changing this wallet's listing reserves. Try again in a moment.";

std::vector<Reserve> reserves_of(const nlohmann::json& doc)
{
    std::vector<Reserve> out;
    const auto* list = core::json_array(doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_object()) continue;
        out.push_back({core::json_string(e, "utxo"), core::json_string(e, "origin"), core::json_string(e, "listing"),
                       core::json_int64(e, "exp", 0)});
    }
    return out;
}

nlohmann::json reserves_json(const std::vector<Reserve>& reserves)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : reserves) {
        list.push_back({{"utxo", r.utxo}, {"origin", r.origin}, {"listing", r.listing}, {"exp", r.exp}});
    }
    return list;
}

std::vector<Reserve> load(const std::filesystem::path& path)
{
    return reserves_of(read_store(path, MEMBER).doc);
}

// Edits the reserve list under the file's cross-process lock: the list as it is on disk now,
// written back when edit returns true.
StoreUpdate edit_reserves(const std::function<bool(std::vector<Reserve>&)>& edit)
{
    return update_store(reserves_path(), MEMBER, [&](nlohmann::json& doc) {
        std::vector<Reserve> reserves = reserves_of(doc);
        if (!edit(reserves)) return false;
        doc[std::string(MEMBER)] = reserves_json(reserves);
        return true;
    });
}

// The sentence of an edit that did not go through: the edit's own refusal first.
std::string edit_result(StoreUpdate update, const std::string& refusal, std::string_view write_error)
{
    if (!refusal.empty()) return refusal;
    if (update == StoreUpdate::Busy) return BUSY;
    if (update == StoreUpdate::Failed) return std::string(write_error);
    return "";
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
    std::string refusal;
    StoreUpdate update = edit_reserves([&](std::vector<Reserve>& reserves) {
        for (const auto& r : reserves) {
            if (r.utxo == utxo) {
                refusal = "error: that UTXO is already listed.";
                return false;
            }
        }
        reserves.push_back({utxo, std::string(origin), "", exp});
        return true;
    });
    return edit_result(update, refusal, "error: could not write Agoran reserve.");
}

std::string reserve_bind_listing(std::string_view outpoint, std::string_view listing_id)
{
    wallet::WalletLock lock;
    std::string utxo = normalize_outpoint(outpoint);
    std::string refusal;
    StoreUpdate update = edit_reserves([&](std::vector<Reserve>& reserves) {
        auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
        if (utxo.empty() || it == reserves.end()) {
            refusal = "error: no reserve for that UTXO.";
            return false;
        }
        it->listing = net::lower_ascii(listing_id);
        return true;
    });
    return edit_result(update, refusal, "error: could not update Agoran reserve.");
}

std::string reserve_rebind(std::string_view listing_id, std::string_view new_outpoint)
{
    wallet::WalletLock lock;
    std::string utxo = normalize_outpoint(new_outpoint);
    if (listing_id.size() != 64 || utxo.size() < MIN_OUTPOINT) return "error: bad rebind.";
    std::string listing = net::lower_ascii(listing_id);
    std::string refusal;
    StoreUpdate update = edit_reserves([&](std::vector<Reserve>& reserves) {
        auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.listing == listing; });
        if (it == reserves.end()) {
            refusal = "error: no reserve for that listing.";
            return false;
        }
        it->utxo = utxo;
        return true;
    });
    return edit_result(update, refusal, "error: could not update Agoran reserve.");
}

bool reserve_remove(std::string_view key)
{
    wallet::WalletLock lock;
    if (key.empty()) return true;
    std::string utxo = normalize_outpoint(key);
    std::string listing = net::lower_ascii(key);
    StoreUpdate update = edit_reserves([&](std::vector<Reserve>& reserves) {
        return std::erase_if(reserves, [&](const Reserve& r) {
                   return r.utxo == utxo || (!r.listing.empty() && r.listing == listing);
               }) > 0;
    });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
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
