#include "wallet/data_paths.h"

#include "platform/data_dir.h"
#include "wallet/registry.h"

namespace wallet {

std::filesystem::path data_dir()
{
    return platform::data_dir();
}

std::filesystem::path registry_path()
{
    return data_dir() / "wallets.json";
}

std::filesystem::path registry_lock_path()
{
    return data_dir() / "wallets.lock";
}

std::filesystem::path legacy_wallet_path()
{
    return data_dir() / "tavrinnode_pursa.json";
}

std::filesystem::path binds_dir()
{
    return data_dir() / "binds";
}

std::filesystem::path connect_dir()
{
    return data_dir() / "connect";
}

std::filesystem::path parked_dir()
{
    return data_dir() / "parked";
}

std::filesystem::path wallet_file_path(const std::string& wallet_id)
{
    if (!valid_wallet_id(wallet_id)) return {};
    return data_dir() / "wallets" / wallet_id / "wallet.json";
}

std::filesystem::path pursa_running_lock_path()
{
    return data_dir() / "pursa.lock";
}

} // namespace wallet
