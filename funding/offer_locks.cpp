#include "funding/offer_locks.h"

#include <algorithm>
#include <functional>

#include "core/hex.h"
#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "funding/outpoint_text.h"
#include "net/text.h"
#include "platform/data_dir.h"
#include "tx/parse.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

constexpr std::string_view MEMBER = "utxos";
constexpr std::string_view OFFERS = "offers";

std::set<std::string> locks_of(const nlohmann::json& doc)
{
    std::set<std::string> out;
    const auto* list = core::json_array(doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (e.is_string() && !e.get<std::string>().empty()) out.insert(normalize_outpoint(e.get<std::string>()));
    }
    return out;
}

std::vector<OfferRecord> records_of(const nlohmann::json& doc)
{
    std::vector<OfferRecord> out;
    const auto* list = core::json_array(doc, OFFERS);
    if (!list) return out;
    for (const auto& e : *list) {
        OfferRecord r{core::ascii_lower(core::json_string(e, "offer")), core::ascii_lower(core::json_string(e, "listing")), {}};
        if (const auto* coins = core::json_array(e, MEMBER)) {
            for (const auto& c : *coins) {
                if (c.is_string() && !c.get<std::string>().empty()) r.utxos.push_back(normalize_outpoint(c.get<std::string>()));
            }
        }
        if (!r.offer.empty() && !r.utxos.empty()) out.push_back(std::move(r));
    }
    return out;
}

void put(nlohmann::json& doc, const std::set<std::string>& locks, const std::vector<OfferRecord>& records)
{
    doc[std::string(MEMBER)] = nlohmann::json(std::vector<std::string>(locks.begin(), locks.end()));
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : records) list.push_back({{"offer", r.offer}, {"listing", r.listing}, {"utxos", r.utxos}});
    doc[std::string(OFFERS)] = std::move(list);
}

// Edits locks and records under the file's cross-process lock; written when edit returns true.
bool edit_locks(wallet::WalletSession& wallet, const std::function<bool(std::set<std::string>&, std::vector<OfferRecord>&)>& edit)
{
    wallet::WalletLock lock(wallet);
    StoreUpdate update = update_store(offer_locks_path(wallet), MEMBER, [&](nlohmann::json& doc) {
        std::set<std::string> locks = locks_of(doc);
        std::vector<OfferRecord> records = records_of(doc);
        if (!edit(locks, records)) return false;
        put(doc, locks, records);
        return true;
    });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
}

} // namespace

std::filesystem::path offer_locks_path(wallet::WalletSession& wallet)
{
    return platform::data_dir() / "gallery" / ("offer_locks_" + offer_lock_file_key(wallet::active_wallet_id(wallet)) + ".json");
}

std::set<std::string> offer_locks_load(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return locks_of(read_store(offer_locks_path(wallet), MEMBER).doc);
}

std::vector<OfferRecord> offer_records(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return records_of(read_store(offer_locks_path(wallet), MEMBER).doc);
}

bool offer_locks_add(wallet::WalletSession& wallet, const std::vector<std::string>& outpoints)
{
    return edit_locks(wallet, [&](std::set<std::string>& locks, std::vector<OfferRecord>&) {
        for (const auto& o : outpoints) {
            if (!o.empty()) locks.insert(normalize_outpoint(o));
        }
        return true;
    });
}

bool offer_record_add(wallet::WalletSession& wallet, const OfferRecord& record)
{
    OfferRecord r{core::ascii_lower(record.offer), core::ascii_lower(record.listing), {}};
    for (const auto& o : record.utxos) {
        if (!o.empty()) r.utxos.push_back(normalize_outpoint(o));
    }
    return edit_locks(wallet, [&](std::set<std::string>& locks, std::vector<OfferRecord>& records) {
        locks.insert(r.utxos.begin(), r.utxos.end());
        std::erase_if(records, [&](const OfferRecord& old) { return old.offer == r.offer; });
        if (!r.offer.empty() && !r.utxos.empty()) records.push_back(r);
        return true;
    });
}

bool offer_locks_remove(wallet::WalletSession& wallet, const std::vector<std::string>& outpoints)
{
    std::set<std::string> gone;
    for (const auto& o : outpoints) gone.insert(normalize_outpoint(o));
    return edit_locks(wallet, [&](std::set<std::string>& locks, std::vector<OfferRecord>& records) {
        size_t removed = 0;
        for (const auto& o : gone) removed += locks.erase(o);
        removed += std::erase_if(records, [&](const OfferRecord& r) {
            return std::any_of(r.utxos.begin(), r.utxos.end(), [&](const std::string& u) { return gone.count(u) > 0; });
        });
        return removed > 0;
    });
}

std::vector<std::string> offer_input_outpoints(std::string_view offer_hex)
{
    std::string digits;
    for (char c : offer_hex) {
        if (core::is_hex_digit(c)) digits.push_back(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
    }
    std::vector<std::string> out;
    if (digits.size() < 80 || digits.size() % 2 != 0) return out;
    auto raw = core::hex_decode(digits);
    if (!raw) return out;
    auto parsed = tx::tx_parse(*raw);
    if (!parsed) return out;
    for (const auto& in : parsed->inputs) {
        out.push_back(lock_key(in.txid, in.vout));
    }
    return out;
}

} // namespace funding
