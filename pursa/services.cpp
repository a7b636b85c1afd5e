#include "pursa/services.h"

#include "core/json_get.h"
#include "net/devnet_admin_client.h"
#include "net/http_client.h"
#include "net/service_config.h"
#include "platform/environment.h"
#include "pursa/vault.h"

namespace pursa {

namespace {

constexpr std::string_view REGISTRY_SUFFIX = "/registry";

// The simulator's base URL: "AGORAN_DEVNET" when set, else the registry base of services.json
// when it is the simulator's ("http://127.0.0.1:PORT/registry").
std::string simulator_base()
{
    if (auto env = platform::get_env("AGORAN_DEVNET"); env && !env->empty()) return *env;
    const std::string registry = net::load_services(net::services_file_path()).registry;
    if (registry.starts_with("http://127.0.0.1:") && registry.ends_with(REGISTRY_SUFFIX))
        return registry.substr(0, registry.size() - REGISTRY_SUFFIX.size());
    return {};
}

} // namespace

std::string publish_paymail(const std::string& name, const std::string& identity_pubkey)
{
    const std::string base = simulator_base();
    if (base.empty()) return "publishing a paymail name needs the local simulator (services.json).";
    net::DevnetAdminClient admin(base, net::default_http());
    auto answer = admin.set_identity(name, identity_pubkey);
    if (!answer) return answer.error.empty() ? "the registry host refused the name." : answer.error;
    return {};
}

std::string fund_wallet(const std::string& wallet_id, int64_t sats)
{
    if (wallet_id.empty()) return "error: no such wallet.";
    const std::string address = receive_address(wallet_id);
    if (address.empty()) return "error: the wallet is locked or cannot be read.";
    const std::string base = simulator_base();
    if (base.empty()) return "error: funding needs the local simulator (services.json).";
    net::DevnetAdminClient admin(base, net::default_http());
    auto txid = admin.fund(address, sats);
    if (!txid) return "error: " + (txid.error.empty() ? std::string("the simulator refused to pay.") : txid.error);
    return "success: " + *txid;
}

} // namespace pursa
