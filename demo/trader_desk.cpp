#include "demo/trader_desk.h"

#include <system_error>

#include "core/base58.h"
#include "net/service_config.h"
#include "platform/environment.h"
#include "pursa/services.h"
#include "pursa/vault.h"
#include "trade/wallet_now.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace demo {

std::filesystem::path data_dir_of(const std::filesystem::path& root)
{
    return root / "TavrinNode";
}

void enter_folder(const std::filesystem::path& root)
{
    (void)platform::set_env("LOCALAPPDATA", root.string());
}

std::unique_ptr<trade::MarketSession> act_as(const std::filesystem::path& root, const std::string& app_instance)
{
    enter_folder(root);
    auto session = std::make_unique<trade::MarketSession>(net::load_services_file());
    wallet::register_app(session->wallet(), app_instance, "Agoran");
    return session;
}

bool load_trader(trade::MarketSession& session, Trader& trader)
{
    trader.wallet_id = wallet::active_wallet_id(session.wallet());
    if (trader.wallet_id.empty()) return false;
    trader.receive = pursa::receive_address(trader.wallet_id);
    {
        wallet::WalletLock lock(session.wallet());
        auto ord = wallet::wallet_load(session.wallet()) ? wallet::ordinals_address(session.wallet()) : wallet::OrdinalsAddress{};
        if (ord.hash) trader.ordinals = core::address_from_hash160(*ord.hash);
    }
    trader.identity_key = trade::wallet_identity_key(session.wallet());
    return !trader.receive.empty() && !trader.ordinals.empty() && !trader.identity_key.empty();
}

bool copy_services(const std::filesystem::path& from_root, const std::filesystem::path& to_root, std::string& error)
{
    const auto from = data_dir_of(from_root) / "agoran" / "services.json";
    const auto to_dir = data_dir_of(to_root) / "agoran";
    std::error_code ec;
    std::filesystem::create_directories(to_dir, ec);
    if (!ec) std::filesystem::copy_file(from, to_dir / "services.json", std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) error = "could not copy " + from.string() + ": " + ec.message();
    return !ec;
}

bool open_trader(Trader& trader, const net::DevnetAdminClient& admin, int coins, int64_t sats_each, std::string& error)
{
    enter_folder(trader.root);
    const pursa::VaultResult<std::string> created = pursa::create_hd_wallet(trader.name);
    if (!created) {
        error = trader.name + ": error: " + created.error().sentence;
        return false;
    }
    const pursa::VaultResult<void> named = pursa::name_wallet(*created, trader.name, pursa::publish_paymail);
    if (!named) {
        error = trader.name + ": error: " + named.error().sentence;
        return false;
    }
    const auto session = act_as(trader.root);  // binds the new wallet, as a program started now would
    if (!load_trader(*session, trader)) {
        error = trader.name + ": the new wallet did not load";
        return false;
    }
    for (int i = 0; i < coins; ++i) {
        auto paid = admin.fund(trader.receive, sats_each);
        if (!paid.value) {
            error = trader.name + ": funding failed: " + paid.error;
            return false;
        }
    }
    return true;
}

} // namespace demo
