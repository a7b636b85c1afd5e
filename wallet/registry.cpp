#include "wallet/registry.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include "core/json_get.h"
#include "platform/atomic_file.h"
#include "wallet/data_paths.h"
#include "wallet/registry_lock.h"

namespace wallet {

namespace {

constexpr size_t SANITIZED_ID_MAX = 96;
constexpr size_t WALLET_ID_MAX = 128;

bool is_ascii_alnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

RegistryFile registry_read_file()
{
    RegistryLock lock;
    RegistryFile out;
    std::error_code ec;
    const auto path = registry_path();
    if (!std::filesystem::exists(path, ec)) return out;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out.state = RegistryFileState::Unreadable;
        return out;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto doc = core::parse_json(text.str());
    if (!doc || !doc->is_object()) {
        out.state = RegistryFileState::Unreadable;
        return out;
    }
    out.state = RegistryFileState::Parsed;
    out.doc = std::move(*doc);
    return out;
}

nlohmann::json registry_read()
{
    return registry_read_file().doc;
}

bool registry_write(const nlohmann::json& registry)
{
    RegistryLock lock;
    return platform::write_file_atomic(registry_path(), core::json_dump_file(registry),
                                       platform::FileAccess::OwnerOnly);
}

std::vector<WalletEntry> registry_entries(const nlohmann::json& registry)
{
    std::vector<WalletEntry> out;
    const nlohmann::json* wallets = core::json_array(registry, "wallets");
    if (!wallets) return out;
    for (const auto& entry : *wallets) {
        std::string id = core::json_string(entry, "id");
        if (id.empty()) continue;
        out.push_back({std::move(id), core::json_string(entry, "name")});
    }
    return out;
}

std::vector<WalletEntry> list_wallets()
{
    return registry_entries(registry_read());
}

std::string wallet_display_name(const std::string& wallet_id)
{
    for (auto& entry : list_wallets()) {
        if (entry.id == wallet_id) return entry.name;
    }
    return wallet_id;
}

bool rename_wallet_to_paymail(const std::string& wallet_id, const std::string& handle)
{
    if (wallet_id.empty() || handle.empty()) return false;
    RegistryLock lock;
    RegistryFile file = registry_read_file();
    if (file.state != RegistryFileState::Parsed) return false;
    nlohmann::json* wallets = file.doc.contains("wallets") ? &file.doc["wallets"] : nullptr;
    if (!wallets || !wallets->is_array()) return false;
    for (auto& entry : *wallets) {
        if (core::json_string(entry, "id") == wallet_id) {
            entry["name"] = handle;
            return registry_write(file.doc);
        }
    }
    return false;
}

std::string new_wallet_id(const std::function<bool(const std::string& id)>& taken)
{
    int64_t n = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
    std::string id = "w" + std::to_string(n);
    while (taken && taken(id)) id = "w" + std::to_string(++n);
    return id;
}

std::string sanitize_id(std::string_view id)
{
    std::string out;
    out.reserve(id.size());
    for (unsigned char c : id) {
        if (is_ascii_alnum(c)) out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
        else out.push_back('_');
    }
    if (out.size() > SANITIZED_ID_MAX) out.erase(0, out.size() - SANITIZED_ID_MAX);
    if (out.empty()) out = "default";
    return out;
}

bool valid_wallet_id(std::string_view id)
{
    if (id.empty() || id.size() > WALLET_ID_MAX) return false;
    for (unsigned char c : id) {
        if (!is_ascii_alnum(c) && c != '_' && c != '-') return false;
    }
    return true;
}

} // namespace wallet
