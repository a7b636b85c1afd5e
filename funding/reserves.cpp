#include "funding/reserves.h"

#include <algorithm>

#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "platform/data_dir.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

constexpr std::string_view MEMBER = "reserves";

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
    return {core::json_string(e, "kind"),       tx::parse_outpoint(core::json_string(e, "listed_utxo")), core::json_string(e, "lot_units"),
            core::json_string(e, "qty"),        read_sats(e, "price_sats"),          core::json_string(e, "units_left"),
            read_sats(e, "price_left"),         core::json_string(e, "pay_addr"),    core::json_string(e, "ord_addr"),
            core::json_int64(e, "ts", 0)};
}

void write_record(const ListingRecord& r, nlohmann::json& e)
{
    if (!r.known()) return;
    e.update({{"kind", r.kind},
              {"listed_utxo", r.listed_utxo ? tx::format_outpoint(*r.listed_utxo) : std::string()},
              {"lot_units", r.lot_units},
              {"qty", r.qty},
              {"price_sats", r.price_sats},
              {"units_left", r.units_left},
              {"price_left", r.price_left},
              {"pay_addr", r.pay_addr},
              {"ord_addr", r.ord_addr},
              {"ts", r.ts}});
}

// The reserve an entry holds; nullopt when one of its outpoints or ids does not parse.
std::optional<Reserve> reserve_of(const nlohmann::json& e)
{
    auto utxo = tx::parse_outpoint(core::json_string(e, "utxo"));
    if (!utxo) return std::nullopt;
    Reserve r{*utxo, core::json_string(e, "origin"), std::nullopt, core::json_int64(e, "exp", 0), read_record(e)};
    if (std::string listing = core::json_string(e, "listing"); !listing.empty()) {
        r.listing = tx::Txid::parse(listing);
        if (!r.listing) return std::nullopt;
    }
    if (r.record.known() && !r.record.listed_utxo && !core::json_string(e, "listed_utxo").empty()) return std::nullopt;
    return r;
}

// The reserve file's entries: the reserves, and the entries of other programs that are not
// reserves of this one (kept as written). Entries that are not objects are dropped.
struct Entries {
    std::vector<Reserve> reserves;
    std::vector<nlohmann::json> foreign;
};

Entries entries_of(const nlohmann::json& doc)
{
    Entries out;
    const auto* list = core::json_array(doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_object()) continue;
        if (auto r = reserve_of(e)) out.reserves.push_back(std::move(*r));
        else out.foreign.push_back(e);
    }
    return out;
}

nlohmann::json entries_json(const Entries& entries)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : entries.reserves) {
        nlohmann::json entry = {{"utxo", tx::format_outpoint(r.utxo)}, {"origin", r.origin},
                                {"listing", r.listing ? r.listing->hex() : std::string()}, {"exp", r.exp}};
        write_record(r.record, entry);
        list.push_back(std::move(entry));
    }
    for (const auto& e : entries.foreign) list.push_back(e);
    return list;
}

std::vector<Reserve> load(const std::filesystem::path& path)
{
    return entries_of(read_store(path, MEMBER).doc).reserves;
}

// Edits the reserve list under the file's cross-process lock: the list as it is on disk now,
// written back when edit returns true.
StoreUpdate edit_reserves(wallet::WalletSession& wallet, const std::function<bool(std::vector<Reserve>&)>& edit)
{
    return update_store(reserves_path(wallet), MEMBER, [&](nlohmann::json& doc) {
        Entries entries = entries_of(doc);
        if (!edit(entries.reserves)) return false;
        doc[std::string(MEMBER)] = entries_json(entries);
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

FundingResult<void> bind_listing(wallet::WalletSession& wallet, const tx::Outpoint& utxo, const tx::Txid& listing_id, const ListingRecord* record)
{
    wallet::WalletLock lock(wallet);
    std::optional<FundingCode> refusal;
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        auto it = std::find_if(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == utxo; });
        if (it == reserves.end()) {
            refusal = FundingCode::NoReserveForUtxo;
            return false;
        }
        it->listing = listing_id;
        if (record) it->record = *record;
        return true;
    });
    return edit_result(update, refusal, FundingCode::ReserveUpdateFailed);
}

FundingResult<void> rebind(wallet::WalletSession& wallet, const tx::Txid& listing, const tx::Outpoint& utxo, const ListingRecord* record)
{
    wallet::WalletLock lock(wallet);
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

bool remove_where(wallet::WalletSession& wallet, const std::function<bool(const Reserve&)>& gone)
{
    wallet::WalletLock lock(wallet);
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) { return std::erase_if(reserves, gone) > 0; });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
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

FundingResult<void> reserve_add(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, std::string_view origin, int64_t exp)
{
    wallet::WalletLock lock(wallet);
    std::optional<FundingCode> refusal;
    StoreUpdate update = edit_reserves(wallet, [&](std::vector<Reserve>& reserves) {
        for (const auto& r : reserves) {
            if (r.utxo == outpoint) {
                refusal = FundingCode::AlreadyListed;
                return false;
            }
        }
        reserves.push_back({outpoint, std::string(origin), std::nullopt, exp, {}});
        return true;
    });
    return edit_result(update, refusal, FundingCode::ReserveWriteFailed);
}

FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, const tx::Txid& listing_id)
{
    return bind_listing(wallet, outpoint, listing_id, nullptr);
}

FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, const tx::Txid& listing_id, const ListingRecord& record)
{
    return bind_listing(wallet, outpoint, listing_id, &record);
}

FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, const tx::Txid& listing_id, const tx::Outpoint& new_outpoint)
{
    return rebind(wallet, listing_id, new_outpoint, nullptr);
}

FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, const tx::Txid& listing_id, const tx::Outpoint& new_outpoint, const ListingRecord& record)
{
    return rebind(wallet, listing_id, new_outpoint, &record);
}

bool reserve_remove(wallet::WalletSession& wallet, const tx::Outpoint& outpoint)
{
    return remove_where(wallet, [&](const Reserve& r) { return r.utxo == outpoint; });
}

bool reserve_remove_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id)
{
    return remove_where(wallet, [&](const Reserve& r) { return r.listing == listing_id; });
}

bool reserve_holds(wallet::WalletSession& wallet, const tx::Outpoint& outpoint)
{
    wallet::WalletLock lock(wallet);
    auto reserves = load(reserves_path(wallet));
    return std::any_of(reserves.begin(), reserves.end(), [&](const Reserve& r) { return r.utxo == outpoint; });
}

std::optional<tx::Outpoint> reserve_for_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id)
{
    std::optional<Reserve> reserve = reserve_of_listing(wallet, listing_id);
    return reserve ? std::optional<tx::Outpoint>(reserve->utxo) : std::nullopt;
}

std::optional<Reserve> reserve_of_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id)
{
    wallet::WalletLock lock(wallet);
    for (auto& r : load(reserves_path(wallet))) {
        if (r.listing == listing_id) return std::move(r);
    }
    return std::nullopt;
}

} // namespace funding
