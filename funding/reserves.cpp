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

// A price: a non-negative integer; anything else reads as 0.
uint64_t read_sats(const nlohmann::json& entry, std::string_view key)
{
    const auto* v = core::json_member(entry, key);
    if (!v || !v->is_number_integer()) return 0;
    if (v->is_number_unsigned()) return v->get<uint64_t>();
    return std::max<int64_t>(v->get<int64_t>(), 0);
}

ListingRecord read_record(const nlohmann::json& e)
{
    return {core::json_string(e, "kind"),       core::json_string(e, "listed_utxo"), core::json_string(e, "lot_units"),
            core::json_string(e, "qty"),        read_sats(e, "price_sats"),          core::json_string(e, "units_left"),
            read_sats(e, "price_left"),         core::json_string(e, "pay_addr"),    core::json_string(e, "ord_addr"),
            core::json_int64(e, "ts", 0)};
}

void write_record(const ListingRecord& r, nlohmann::json& e)
{
    if (!r.known()) return;
    e.update({{"kind", r.kind},
              {"listed_utxo", normalize_outpoint(r.listed_utxo)},
              {"lot_units", r.lot_units},
              {"qty", r.qty},
              {"price_sats", r.price_sats},
              {"units_left", r.units_left},
              {"price_left", r.price_left},
              {"pay_addr", r.pay_addr},
              {"ord_addr", r.ord_addr},
              {"ts", r.ts}});
}

std::vector<Reserve> reserves_of(const nlohmann::json& doc)
{
    std::vector<Reserve> out;
    const auto* list = core::json_array(doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_object()) continue;
        out.push_back({core::json_string(e, "utxo"), core::json_string(e, "origin"), core::json_string(e, "listing"),
                       core::json_int64(e, "exp", 0), read_record(e)});
    }
    return out;
}

nlohmann::json reserves_json(const std::vector<Reserve>& reserves)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : reserves) {
        nlohmann::json entry = {{"utxo", r.utxo}, {"origin", r.origin}, {"listing", r.listing}, {"exp", r.exp}};
        write_record(r.record, entry);
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<Reserve> load(const std::filesystem::path& path)
{
    return reserves_of(read_store(path, MEMBER).doc);
}

// Edits the reserve list under the file's cross-process lock: the list as it is on disk now,
// written back when edit returns true.
StoreUpdate edit_reserves(wallet::WalletSession& wallet, const std::function<bool(std::vector<Reserve>&)>& edit)
{
    return update_store(reserves_path(wallet), MEMBER, [&](nlohmann::json& doc) {
        std::vector<Reserve> reserves = reserves_of(doc);
        if (!edit(reserves)) return false;
        doc[std::string(MEMBER)] = reserves_json(reserves);
        return true;
    });
}

// How an edit went: the edit's own refusal first.
FundingResult<void> edit_result(StoreUpdate update, const std::optional<FundingCode>& refusal, FundingCode write_error)
{
    if (refusal) return FundingError(*refusal);
    if (update == StoreUpdate::Busy) return FundingError(FundingCode::ReservesBusy);
    if (update == StoreUpdate::Failed) return FundingError(write_error);
    return {};
}

FundingResult<void> bind_listing(wallet::WalletSession& wallet, std::string_view outpoint, std::string_view listing_id, const ListingRecord* record)
{
    wallet::WalletLock lock(wallet);
    std::string utxo = normalize_outpoint(outpoint);
    std::optional<FundingCode> refusal;
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
        if (utxo.empty() || it == reserves.end()) {
            refusal = FundingCode::NoReserveForUtxo;
            return false;
        }
        it->listing = core::ascii_lower(listing_id);
        if (record) it->record = *record;
        return true;
    });
    return edit_result(update, refusal, FundingCode::ReserveUpdateFailed);
}

FundingResult<void> rebind(wallet::WalletSession& wallet, std::string_view listing_id, std::string_view new_outpoint, const ListingRecord* record)
{
    wallet::WalletLock lock(wallet);
    std::string utxo = normalize_outpoint(new_outpoint);
    if (listing_id.size() != 64 || utxo.size() < MIN_OUTPOINT) return FundingError(FundingCode::BadRebind);
    std::string listing = core::ascii_lower(listing_id);
    std::optional<FundingCode> refusal;
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.listing == listing; });
        if (it == reserves.end()) {
            refusal = FundingCode::NoReserveForListing;
            return false;
        }
        it->utxo = utxo;
        if (record) it->record = *record;
        return true;
    });
    return edit_result(update, refusal, FundingCode::ReserveUpdateFailed);
}

} // namespace

std::filesystem::path reserves_path(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return platform::data_dir() / "agoran" / ("reserves_" + reserve_file_key(wallet::active_wallet_id(wallet)) + ".json");
}

std::vector<Reserve> reserve_list(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return load(reserves_path(wallet));
}

FundingResult<void> reserve_add(wallet::WalletSession& wallet, std::string_view outpoint, std::string_view origin, int64_t exp)
{
    wallet::WalletLock lock(wallet);
    std::string utxo = normalize_outpoint(outpoint);
    if (utxo.size() < MIN_OUTPOINT) return FundingError(FundingCode::BadUtxo);
    std::optional<FundingCode> refusal;
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        for (const auto& r : reserves) {
            if (r.utxo == utxo) {
                refusal = FundingCode::AlreadyListed;
                return false;
            }
        }
        reserves.push_back({utxo, std::string(origin), "", exp, {}});
        return true;
    });
    return edit_result(update, refusal, FundingCode::ReserveWriteFailed);
}

FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, std::string_view outpoint, std::string_view listing_id)
{
    return bind_listing(wallet, outpoint, listing_id, nullptr);
}

FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, std::string_view outpoint, std::string_view listing_id, const ListingRecord& record)
{
    return bind_listing(wallet, outpoint, listing_id, &record);
}

FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, std::string_view listing_id, std::string_view new_outpoint)
{
    return rebind(wallet, listing_id, new_outpoint, nullptr);
}

FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, std::string_view listing_id, std::string_view new_outpoint, const ListingRecord& record)
{
    return rebind(wallet, listing_id, new_outpoint, &record);
}

bool reserve_remove(wallet::WalletSession& wallet, std::string_view key)
{
    wallet::WalletLock lock(wallet);
    if (key.empty()) return true;
    std::string utxo = normalize_outpoint(key);
    std::string listing = core::ascii_lower(key);
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        return std::erase_if(reserves, [&](const Reserve& r) {
                   return r.utxo == utxo || (!r.listing.empty() && r.listing == listing);
               }) > 0;
    });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
}

bool reserve_holds(wallet::WalletSession& wallet, std::string_view txid, uint32_t vout)
{
    wallet::WalletLock lock(wallet);
    std::string utxo = lock_key(txid, vout);
    auto reserves = load(reserves_path(wallet));
    return std::any_of(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
}

std::string reserve_for_listing(wallet::WalletSession& wallet, std::string_view listing_id)
{
    std::optional<Reserve> reserve = reserve_of_listing(wallet, listing_id);
    return reserve ? reserve->utxo : std::string();
}

std::optional<Reserve> reserve_of_listing(wallet::WalletSession& wallet, std::string_view listing_id)
{
    wallet::WalletLock lock(wallet);
    if (listing_id.empty()) return std::nullopt;
    std::string listing = core::ascii_lower(listing_id);
    for (auto& r : load(reserves_path(wallet))) {
        if (r.listing == listing) return std::move(r);
    }
    return std::nullopt;
}

} // namespace funding
