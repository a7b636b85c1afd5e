#include "pursa/vault.h"

#include <algorithm>
#include <filesystem>

#include "core/json_get.h"
#include "core/secret_json.h"
#include "net/service_config.h"
#include "pursa/vault_crypto.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"
#include "wallet/hd_derive.h"
#include "wallet/lock_envelope.h"
#include "wallet/mnemonic.h"
#include "wallet/owned_ord.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"

namespace pursa {

namespace {

// The paymail domain of the services this data directory names (services.json), read afresh.
std::string paymail_domain()
{
    return net::load_services(net::services_file_path()).registry_domain;
}

constexpr size_t PAYMAIL_NAME_MAX = 40;

// The keys of an HD wallet file's mnemonic, at the wallet's shown receive index.
struct WalletAddresses {
    std::string receive;
    std::string ordinals;
    std::string identity;
    std::string identity_pub;
};

uint32_t counter(const nlohmann::json& doc, size_t index)
{
    const nlohmann::json* recv = core::json_array(doc, "recv");
    if (!recv || recv->size() <= index) return 0;
    auto n = core::json_number_as_int64((*recv)[index]);
    return (n && *n >= 0 && *n <= UINT32_MAX) ? static_cast<uint32_t>(*n) : 0;
}

std::optional<WalletAddresses> hd_addresses(const nlohmann::json& doc)
{
    const nlohmann::json* m = core::json_member(doc, "mnemonic");
    if (!m || !m->is_string()) return std::nullopt;
    core::SecretBytes seed = wallet::mnemonic_to_seed(m->get_ref<const std::string&>());
    core::SecretBytes master = wallet::master_key_from_seed(seed.view());
    if (master.empty()) return std::nullopt;
    uint32_t shown = std::min<uint32_t>(static_cast<uint32_t>(std::max<int64_t>(0, core::json_int64(doc, "show", 0))),
                                        counter(doc, wallet::RECEIVE_ACCOUNT));
    auto receive = wallet::derive_from_master(master, wallet::account_path(wallet::RECEIVE_ACCOUNT, shown));
    auto ordinals = wallet::derive_from_master(
        master, wallet::account_path(wallet::ORDINALS_ACCOUNT, counter(doc, wallet::ORDINALS_ACCOUNT)));
    auto identity = wallet::derive_from_master(master, wallet::identity_path());
    if (!receive || !ordinals || !identity) return std::nullopt;
    return WalletAddresses{receive->address, ordinals->address, identity->address, identity->pub_hex};
}

// Writes a new HD wallet file and lists it. Runs under the registry lock.
VaultResult<std::string> add_hd_wallet(const core::SecretString& mnemonic, const std::string& name)
{
    wallet::RegistryLock lock;
    wallet::RegistryFile registry = wallet::registry_read_file();
    if (registry.state == wallet::RegistryFileState::Unreadable)
        return VaultError{"wallets.json cannot be read; fix or remove it first."};

    const std::string id = wallet::new_wallet_id([](const std::string& taken) {
        std::error_code ec;
        return std::filesystem::exists(wallet::wallet_file_path(taken).parent_path(), ec);
    });

    wallet::SecretJson file(nlohmann::json{{"version", 2},
                                           {"mnemonic", mnemonic.str()},
                                           {"backup", false},
                                           {"recv", {0, 0, 0, 0, 0, 0}},
                                           {"show", 0}});
    auto addresses = hd_addresses(file.doc());
    if (!addresses) return VaultError{"could not derive the wallet's keys."};
    file.doc()["identity"] = addresses->identity;
    file.doc()["address"] = addresses->receive;
    if (!wallet::write_json_file(wallet::wallet_file_path(id), file.doc())) return VaultError{"could not write the wallet file."};

    nlohmann::json& doc = registry.doc;
    if (!doc.contains("wallets") || !doc["wallets"].is_array()) doc["wallets"] = nlohmann::json::array();
    const size_t count = wallet::registry_entries(doc).size();
    doc["wallets"].push_back({{"id", id}, {"name", name.empty() ? "Wallet " + std::to_string(count + 1) : name}});
    doc["active"] = id;
    if (!wallet::registry_write(doc)) return VaultError{"could not write wallets.json."};
    return id;
}

// "success: " + the new wallet's id, or "error: " and the sentence.
std::string created_text(const VaultResult<std::string>& created)
{
    return created ? "success: " + *created : "error: " + created.error().sentence;
}

// Reads a wallet file that is not locked. Empty document when it is locked or unreadable.
void read_open_wallet(const std::string& id, wallet::SecretJson& out)
{
    wallet::read_secret_json(wallet::wallet_file_path(id), out);
    if (!out.doc().is_object() || wallet::is_lock_envelope(out.doc())) out.doc() = nullptr;
}

bool valid_paymail_name(const std::string& name)
{
    if (name.empty() || name.size() > PAYMAIL_NAME_MAX) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    });
}

} // namespace

std::string choose_wallet(const std::string& requested)
{
    wallet::RegistryLock lock;
    const nlohmann::json registry = wallet::registry_read();
    const auto entries = wallet::registry_entries(registry);
    auto has = [&](const std::string& id) {
        return std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.id == id; });
    };
    if (!requested.empty()) return has(requested) ? requested : std::string();
    const std::string active = core::json_string(registry, "active");
    if (!active.empty() && has(active)) return active;
    return entries.size() == 1 ? entries[0].id : std::string();
}

VaultResult<std::string> create_hd_wallet(const std::string& name)
{
    core::SecretString mnemonic = wallet::generate_mnemonic();
    if (mnemonic.empty()) return VaultError{"the system's random source failed."};
    return add_hd_wallet(mnemonic, name);
}

std::string create_wallet(const std::string& name)
{
    return created_text(create_hd_wallet(name));
}

std::string restore_wallet(std::string_view mnemonic_text, const std::string& name)
{
    if (!wallet::mnemonic_valid(mnemonic_text)) return "error: that is not a valid 12-word mnemonic.";
    core::SecretString mnemonic{std::string(mnemonic_text)};
    return created_text(add_hd_wallet(mnemonic, name));
}

std::string list_wallets_text()
{
    wallet::RegistryLock lock;
    const nlohmann::json registry = wallet::registry_read();
    const std::string active = core::json_string(registry, "active");
    std::string out;
    for (const auto& entry : wallet::registry_entries(registry)) {
        out += entry.id + "  " + entry.name;
        if (entry.id == active) out += "  (active)";
        const auto path = wallet::wallet_file_path(entry.id);
        wallet::SecretJson doc;
        wallet::read_secret_json(path, doc);
        std::error_code ec;
        auto seal = path;
        seal += ".seal";
        if (wallet::is_lock_envelope(doc.doc()) || std::filesystem::exists(seal, ec)) out += "  (locked)";
        out += "\n";
    }
    if (out.empty()) out = "no wallets yet: use pursa create\n";
    return out;
}

std::string show_wallet(const std::string& wallet_id)
{
    if (wallet_id.empty()) return "error: no such wallet.";
    wallet::RegistryLock lock;
    wallet::SecretJson file;
    wallet::read_secret_json(wallet::wallet_file_path(wallet_id), file);
    const nlohmann::json& doc = file.doc();
    if (!doc.is_object()) return "error: the wallet file cannot be read.";
    if (wallet::is_lock_envelope(doc)) return "error: the wallet is locked; unlock it first.";
    std::string out = "wallet:   " + wallet_id + "  " + wallet::wallet_display_name(wallet_id) + "\n";
    if (auto addresses = hd_addresses(doc)) {
        out += "receive:  " + addresses->receive + "\n";
        out += "ordinals: " + addresses->ordinals + "\n";
        out += "identity: " + addresses->identity + "\n";
    } else {
        out += "address:  " + core::json_string(doc, "address") + "\n";
    }
    const std::string paymail = core::json_string(doc, "paymail");
    if (!paymail.empty()) out += "paymail:  " + paymail + "@" + paymail_domain() + "\n";
    return out;
}

std::string lock_wallet(const std::string& wallet_id, std::string_view password)
{
    if (wallet_id.empty()) return "error: no such wallet.";
    if (password.empty()) return "error: a password is needed.";
    wallet::RegistryLock lock;
    const auto path = wallet::wallet_file_path(wallet_id);
    auto text = wallet::read_secret_file(path);
    if (!text) return "error: the wallet file cannot be read.";
    wallet::SecretJson file;
    if (auto doc = core::parse_secret_json(text->view())) file.doc() = std::move(*doc);
    if (!file.doc().is_object()) return "error: the wallet file is damaged.";
    if (wallet::is_lock_envelope(file.doc())) return "error: the wallet is already locked.";
    auto envelope = seal_text(text->view(), password);
    if (!envelope) return "error: could not encrypt the wallet.";
    if (!wallet::write_json_file(path, wallet::lock_envelope_to_json(*envelope)))
        return "error: could not write the wallet file.";
    return "success";
}

std::string unlock_wallet(const std::string& wallet_id, std::string_view password)
{
    if (wallet_id.empty()) return "error: no such wallet.";
    wallet::RegistryLock lock;
    const auto path = wallet::wallet_file_path(wallet_id);
    auto doc = wallet::read_json_file(path);
    if (!doc) return "error: the wallet file cannot be read.";
    if (!wallet::is_lock_envelope(*doc)) return "error: the wallet is not locked.";
    auto envelope = wallet::parse_lock_envelope(*doc);
    if (!envelope) return "error: the lock envelope is damaged.";
    auto text = open_envelope(*envelope, password);
    if (!text) return "error: wrong password.";
    wallet::SecretJson plain;
    if (auto parsed = core::parse_secret_json(text->view())) plain.doc() = std::move(*parsed);
    if (!plain.doc().is_object()) return "error: the unlocked wallet is damaged.";
    if (!wallet::write_json_file(path, plain.doc())) return "error: could not write the wallet file.";
    return "success";
}

VaultResult<void> name_wallet(const std::string& wallet_id, std::string_view name_text, const PaymailPublisher& publish)
{
    if (wallet_id.empty()) return VaultError{"no such wallet."};
    const std::string name = wallet::normalize_handle(name_text, paymail_domain());
    if (!valid_paymail_name(name)) return VaultError{"a paymail name is 1 to 40 letters, digits, '.', '-' or '_'."};
    const std::string pubkey = identity_pubkey(wallet_id);
    if (pubkey.empty()) return VaultError{"the wallet is locked or is not an HD wallet."};
    if (publish) {
        std::string failure = publish(name, pubkey);
        if (!failure.empty()) return VaultError{failure};
    }
    wallet::RegistryLock lock;
    wallet::SecretJson file;
    read_open_wallet(wallet_id, file);
    if (!file.doc().is_object()) return VaultError{"the wallet is locked or cannot be read."};
    file.doc()["paymail"] = name;
    if (!wallet::write_json_file(wallet::wallet_file_path(wallet_id), file.doc())) return VaultError{"could not write the wallet file."};
    (void)wallet::rename_wallet_to_paymail(wallet_id, name);
    return {};
}

std::string set_paymail(const std::string& wallet_id, std::string_view name, const PaymailPublisher& publish)
{
    VaultResult<void> named = name_wallet(wallet_id, name, publish);
    return named ? "success" : "error: " + named.error().sentence;
}

std::string receive_address(const std::string& wallet_id)
{
    wallet::RegistryLock lock;
    wallet::SecretJson file;
    read_open_wallet(wallet_id, file);
    if (!file.doc().is_object()) return {};
    if (auto addresses = hd_addresses(file.doc())) return addresses->receive;
    return core::json_string(file.doc(), "address");
}

std::string identity_pubkey(const std::string& wallet_id)
{
    wallet::RegistryLock lock;
    wallet::SecretJson file;
    read_open_wallet(wallet_id, file);
    if (!file.doc().is_object()) return {};
    auto addresses = hd_addresses(file.doc());
    return addresses ? addresses->identity_pub : std::string();
}

} // namespace pursa
