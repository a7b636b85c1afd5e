#include "wallet/app_binding.h"

#include <fstream>
#include <sstream>

#include "core/json_get.h"
#include "core/log.h"
#include "platform/atomic_file.h"
#include "wallet/data_paths.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_session.h"

namespace wallet {

namespace {

std::string read_bind_wallet_id(const WalletSession& session)
{
    std::ifstream in(bind_path(session), std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    auto doc = core::parse_json(text.str());
    if (!doc) return {};
    std::string id = core::json_string(*doc, "wallet_id");
    return valid_wallet_id(id) ? id : std::string();
}

bool write_bind_file(const WalletSession& session, const std::string& wallet_id)
{
    const AppRegistration s = session.registration();
    nlohmann::json bind = {{"app", s.app}, {"instance", s.instance}, {"wallet_id", wallet_id}};
    std::error_code ec;
    std::filesystem::create_directories(binds_dir(), ec);
    return platform::write_file_atomic(bind_path(session), core::json_dump_file(bind), platform::FileAccess::OwnerOnly);
}

bool registry_has_no_wallets(const nlohmann::json& registry)
{
    auto it = registry.find("wallets");
    if (it == registry.end() || it->is_null()) return true;
    return (it->is_array() || it->is_object()) && it->empty();
}

// Moves the legacy single-wallet file into a new wallet folder and lists it as "Wallet 1".
void migrate_legacy_wallet()
{
    std::error_code ec;
    const auto legacy = legacy_wallet_path();
    if (!std::filesystem::is_regular_file(legacy, ec)) return;
    RegistryFile file = registry_read_file();
    if (file.state == RegistryFileState::Unreadable) return;  // never rewrite what we cannot read
    if (!registry_has_no_wallets(file.doc)) return;

    const std::string id = new_wallet_id([](const std::string& taken) {
        std::error_code taken_ec;
        return std::filesystem::exists(wallet_file_path(taken).parent_path(), taken_ec);
    });
    const auto target = wallet_file_path(id);
    std::filesystem::create_directories(target.parent_path(), ec);
    if (!platform::replace_file(legacy, target)) {
        std::filesystem::copy_file(legacy, target, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return;
        std::filesystem::remove(legacy, ec);
    }
    nlohmann::json& wallets = file.doc["wallets"];
    if (!wallets.is_array()) wallets = nlohmann::json::array();
    wallets.push_back({{"id", id}, {"name", "Wallet 1"}});
    file.doc["active"] = id;
    if (platform::make_owner_only(target) && registry_write(file.doc)) return;
    // A wallet file that no registry lists, or that others may read, is worse than the old
    // place: it goes back there, to be moved again at the next start.
    core::log_warning("The wallet file could not be moved into the wallet registry; it stays where it was.");
    if (!platform::replace_file(target, legacy)) return;
    std::filesystem::remove(target.parent_path(), ec);
}

} // namespace

void register_app(WalletSession& session, const std::string& instance_id, const std::string& app_name_text)
{
    RegistryLock lock;
    AppRegistration registration;
    registration.registered = true;
    registration.app = app_name_text.empty() ? "App" : app_name_text;
    registration.instance = instance_id.empty() ? "." : instance_id;
    session.set_registration(std::move(registration));

    migrate_legacy_wallet();

    std::string id = read_bind_wallet_id(session);
    if (id.empty()) {
        auto wallets = list_wallets();
        if (wallets.size() == 1 && valid_wallet_id(wallets[0].id)) {
            id = wallets[0].id;
            session.set_active_id(id);
            (void)write_bind_file(session, id);
        }
    }
    session.set_active_id(id);
}

bool app_registered(const WalletSession& session)
{
    return session.registration().registered;
}

std::string app_name(const WalletSession& session)
{
    return session.registration().app;
}

std::string app_instance(const WalletSession& session)
{
    return session.registration().instance;
}

std::filesystem::path bind_path(const WalletSession& session)
{
    return binds_dir() / (sanitize_id(app_instance(session)) + ".json");
}

std::string active_wallet_id(const WalletSession& session)
{
    return session.registration().active_id;
}

std::string bound_wallet_id(const WalletSession& session)
{
    RegistryLock lock;
    const AppRegistration s = session.registration();
    if (!s.registered) return s.active_id;
    return read_bind_wallet_id(session);
}

bool bind_wallet(WalletSession& session, const std::string& wallet_id)
{
    RegistryLock lock;
    if (!app_registered(session) || !valid_wallet_id(wallet_id)) return false;
    session.set_active_id(wallet_id);
    return write_bind_file(session, wallet_id);
}

void unbind_wallet(WalletSession& session)
{
    RegistryLock lock;
    if (!app_registered(session)) return;
    std::error_code ec;
    std::filesystem::remove(bind_path(session), ec);
    session.set_active_id({});
}

} // namespace wallet
