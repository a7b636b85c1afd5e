#include "funding/sibling_reserves.h"

#include <algorithm>

#include "core/json_get.h"
#include "funding/file_keys.h"
#include "funding/json_store.h"
#include "funding/reserves.h"
#include "platform/data_dir.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

std::filesystem::path sibling_path(wallet::WalletSession& wallet, const char* folder)
{
    return platform::data_dir() / folder / ("reserves_" + reserve_file_key(wallet::active_wallet_id(wallet)) + ".json");
}

void collect(const std::filesystem::path& path, std::string_view array_member,
             std::initializer_list<std::string_view> members, std::set<tx::Outpoint>& out)
{
    StoreRead read = read_store(path, array_member);
    const auto* list = core::json_array(read.doc, array_member);
    if (!list) return;
    for (const auto& e : *list) {
        for (auto m : members) {
            if (auto utxo = tx::parse_outpoint(core::json_string(e, m))) out.insert(*utxo);
        }
    }
}

} // namespace

std::set<tx::Outpoint> reserved_outpoints(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    std::set<tx::Outpoint> out;
    // Every entry's output, also one whose other members this program cannot read: it holds a lot.
    collect(reserves_path(wallet), "reserves", {"utxo"}, out);
    collect(sibling_path(wallet, "gallery"), "reserves", {"pic_utxo", "cert_utxo"}, out);
    collect(sibling_path(wallet, "swapmere"), "holds", {"utxo"}, out);
    return out;
}

bool move_swap_holds(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& spent_outpoints, const tx::Outpoint& new_outpoint)
{
    wallet::WalletLock lock(wallet);
    auto path = sibling_path(wallet, "swapmere");
    // Only a file that reads well is changed: the swap feature owns it.
    if (read_store(path, "holds").state != StoreState::Ok) return true;
    StoreUpdate update = update_store(path, "holds", [&](nlohmann::json& doc) {
        auto it = doc.find("holds");
        if (it == doc.end()) return false;
        bool changed = false;
        for (auto& hold : *it) {
            auto utxo = tx::parse_outpoint(core::json_string(hold, "utxo"));
            if (!utxo || std::find(spent_outpoints.begin(), spent_outpoints.end(), *utxo) == spent_outpoints.end()) continue;
            hold["utxo"] = tx::format_outpoint(new_outpoint);
            changed = true;
        }
        return changed;
    });
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
}

} // namespace funding
