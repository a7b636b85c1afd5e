#include "funding/offer_locks.h"

#include "core/hex.h"
#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "funding/outpoint_text.h"
#include "platform/data_dir.h"
#include "tx/parse.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

constexpr std::string_view MEMBER = "utxos";

} // namespace

std::filesystem::path offer_locks_path()
{
    return platform::data_dir() / "gallery" / ("offer_locks_" + offer_lock_file_key(wallet::active_wallet_id()) + ".json");
}

std::set<std::string> offer_locks_load()
{
    wallet::WalletLock lock;
    std::set<std::string> out;
    StoreRead read = read_store(offer_locks_path(), MEMBER);
    const auto* list = core::json_array(read.doc, MEMBER);
    if (!list) return out;
    for (const auto& e : *list) {
        if (e.is_string() && !e.get<std::string>().empty()) out.insert(normalize_outpoint(e.get<std::string>()));
    }
    return out;
}

bool offer_locks_save(const std::set<std::string>& locks)
{
    wallet::WalletLock lock;
    nlohmann::json list = nlohmann::json::array();
    for (const auto& l : locks) list.push_back(l);
    return write_store(offer_locks_path(), MEMBER, {{std::string(MEMBER), std::move(list)}});
}

bool offer_locks_add(const std::vector<std::string>& outpoints)
{
    wallet::WalletLock lock;
    auto locks = offer_locks_load();
    for (const auto& o : outpoints) {
        if (!o.empty()) locks.insert(normalize_outpoint(o));
    }
    return offer_locks_save(locks);
}

bool offer_locks_remove(const std::vector<std::string>& outpoints)
{
    wallet::WalletLock lock;
    auto locks = offer_locks_load();
    size_t removed = 0;
    for (const auto& o : outpoints) removed += locks.erase(normalize_outpoint(o));
    return removed == 0 || offer_locks_save(locks);
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
        if (core::is_hex64(in.txid)) out.push_back(lock_key(in.txid, in.vout));
    }
    return out;
}

} // namespace funding
