#include "funding/offer_locks.h"

#include <algorithm>
#include <functional>

#include "core/hex.h"
#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "platform/data_dir.h"
#include "tx/parse.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

constexpr std::string_view MEMBER = "utxos";
constexpr std::string_view OFFERS = "offers";

// The file as this program reads it, with what other programs wrote that it cannot read.
struct LockFile {
    std::set<tx::Outpoint> locks;
    std::vector<OfferRecord> records;
    std::vector<std::string> foreign_locks;        // kept as written
    std::vector<nlohmann::json> foreign_records;  // kept as written
};

// The coin texts of a record entry (empty texts skipped).
std::vector<std::string> coin_texts(const nlohmann::json& entry)
{
    std::vector<std::string> out;
    if (const auto* coins = core::json_array(entry, MEMBER)) {
        for (const auto& c : *coins) {
            if (c.is_string() && !c.get<std::string>().empty()) out.push_back(c.get<std::string>());
        }
    }
    return out;
}

LockFile lock_file_of(const nlohmann::json& doc)
{
    LockFile out;
    if (const auto* list = core::json_array(doc, MEMBER)) {
        for (const auto& e : *list) {
            if (!e.is_string() || e.get<std::string>().empty()) continue;
            if (auto outpoint = tx::parse_outpoint(e.get<std::string>())) out.locks.insert(*outpoint);
            else out.foreign_locks.push_back(e.get<std::string>());
        }
    }
    if (const auto* list = core::json_array(doc, OFFERS)) {
        for (const auto& e : *list) {
            std::vector<std::string> coins = coin_texts(e);
            if (core::json_string(e, "offer").empty() || coins.empty()) continue;
            auto offer = tx::Txid::parse(core::json_string(e, "offer"));
            auto listing = tx::Txid::parse(core::json_string(e, "listing"));
            std::vector<tx::Outpoint> utxos;
            for (const auto& c : coins) {
                if (auto outpoint = tx::parse_outpoint(c)) utxos.push_back(*outpoint);
            }
            if (offer && listing && utxos.size() == coins.size()) out.records.push_back({*offer, *listing, std::move(utxos)});
            else out.foreign_records.push_back(e);
        }
    }
    return out;
}

std::vector<std::string> texts_of(const std::vector<tx::Outpoint>& outpoints)
{
    std::vector<std::string> out;
    for (const auto& o : outpoints) out.push_back(tx::format_outpoint(o));
    return out;
}

void put(nlohmann::json& doc, const LockFile& file)
{
    std::vector<std::string> locks = texts_of({file.locks.begin(), file.locks.end()});
    locks.insert(locks.end(), file.foreign_locks.begin(), file.foreign_locks.end());
    doc[std::string(MEMBER)] = nlohmann::json(locks);
    nlohmann::json list = nlohmann::json::array();
    for (const auto& r : file.records) list.push_back({{"offer", r.offer.hex()}, {"listing", r.listing.hex()}, {"utxos", texts_of(r.utxos)}});
    for (const auto& e : file.foreign_records) list.push_back(e);
    doc[std::string(OFFERS)] = std::move(list);
}

// Edits the file under its cross-process lock; written when edit returns true.
bool edit_locks(wallet::WalletSession& wallet, const std::function<bool(LockFile&)>& edit)
{
    wallet::WalletLock lock(wallet);
    StoreUpdate update = update_store(offer_locks_path(wallet), MEMBER, [&](nlohmann::json& doc) {
        LockFile file = lock_file_of(doc);
        if (!edit(file)) return false;
        put(doc, file);
        return true;
    });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
}

} // namespace

std::filesystem::path offer_locks_path(wallet::WalletSession& wallet)
{
    return platform::data_dir() / "gallery" / ("offer_locks_" + offer_lock_file_key(wallet::active_wallet_id(wallet)) + ".json");
}

std::set<tx::Outpoint> offer_locks_load(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return lock_file_of(read_store(offer_locks_path(wallet), MEMBER).doc).locks;
}

std::vector<OfferRecord> offer_records(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return lock_file_of(read_store(offer_locks_path(wallet), MEMBER).doc).records;
}

bool offer_locks_add(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& outpoints)
{
    return edit_locks(wallet, [&](LockFile& file) {
        file.locks.insert(outpoints.begin(), outpoints.end());
        return true;
    });
}

bool offer_record_add(wallet::WalletSession& wallet, const OfferRecord& record)
{
    return edit_locks(wallet, [&](LockFile& file) {
        file.locks.insert(record.utxos.begin(), record.utxos.end());
        std::erase_if(file.records, [&](const OfferRecord& old) { return old.offer == record.offer; });
        std::erase_if(file.foreign_records, [&](const nlohmann::json& old) { return tx::Txid::parse(core::json_string(old, "offer")) == record.offer; });
        if (!record.utxos.empty()) file.records.push_back(record);
        return true;
    });
}

bool offer_locks_remove(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& outpoints)
{
    const std::set<tx::Outpoint> gone(outpoints.begin(), outpoints.end());
    auto spends_gone = [&](const std::vector<tx::Outpoint>& coins) {
        return std::any_of(coins.begin(), coins.end(), [&](const tx::Outpoint& u) { return gone.count(u) > 0; });
    };
    return edit_locks(wallet, [&](LockFile& file) {
        size_t removed = 0;
        for (const auto& o : gone) removed += file.locks.erase(o);
        removed += std::erase_if(file.records, [&](const OfferRecord& r) { return spends_gone(r.utxos); });
        removed += std::erase_if(file.foreign_records, [&](const nlohmann::json& r) {
            std::vector<tx::Outpoint> coins;
            for (const auto& c : coin_texts(r)) {
                if (auto outpoint = tx::parse_outpoint(c)) coins.push_back(*outpoint);
            }
            return spends_gone(coins);
        });
        return removed > 0;
    });
}

std::vector<tx::Outpoint> offer_input_outpoints(std::string_view offer_hex)
{
    std::string digits;
    for (char c : offer_hex) {
        if (core::is_hex_digit(c)) digits.push_back(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
    }
    std::vector<tx::Outpoint> out;
    if (digits.size() < 80 || digits.size() % 2 != 0) return out;
    auto raw = core::hex_decode(digits);
    if (!raw) return out;
    auto parsed = tx::tx_parse(*raw);
    if (!parsed) return out;
    for (const auto& in : parsed->inputs) out.push_back({in.txid, in.vout});
    return out;
}

} // namespace funding
