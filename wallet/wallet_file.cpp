#include "wallet/wallet_file.h"

#include <algorithm>
#include <limits>

#include "core/json_get.h"
#include "core/key.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"
#include "wallet/lock_envelope.h"
#include "wallet/mnemonic.h"
#include "wallet/paymail_domain.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

constexpr size_t PRIV_HEX_SIZE = 64;

bool state_loaded(const TvWalletState& s)
{
    return !s.recv_priv.empty() && !s.recv_address.empty();
}

void clear_state(TvWalletState& s)
{
    s.wallet_id.clear();
    s.mnemonic.clear();
    s.hd = false;
    s.backup = false;
    s.recv.fill(0);
    s.shown = 0;
    s.recv_priv.clear();
    s.recv_pub.clear();
    s.recv_address.clear();
    s.identity_pub.clear();
    s.identity_address.clear();
    s.paymail.clear();
    s.ord_avatar.clear();
    s.owned.clear();
    s.contacts.clear();
    s.seed.clear();
    s.seed_ready = false;
    s.master.clear();
    s.master_ready = false;
}

// A counter value: an integer from 0 to 2^32-1.
std::optional<uint32_t> counter_value(const nlohmann::json& v)
{
    if (!v.is_number_integer()) return std::nullopt;
    auto n = core::json_number_as_int64(v);
    if (!n || *n < 0 || *n > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    return static_cast<uint32_t>(*n);
}

// Reads an optional string member; false when present with another type.
bool optional_text(const nlohmann::json& obj, std::string_view key, std::string& out)
{
    const nlohmann::json* v = core::json_member(obj, key);
    if (!v || v->is_null()) return true;
    if (!v->is_string()) return false;
    out = v->get<std::string>();
    return true;
}

// The members both forms share: paymail, avatar, owned ordinals, contacts.
bool read_common_members(const WalletSession& session, const nlohmann::json& doc, TvWalletState& s)
{
    if (!optional_text(doc, "paymail", s.paymail) || !optional_text(doc, "ord_avatar", s.ord_avatar)) return false;
    if (const nlohmann::json* owned = core::json_member(doc, "ord_owned"); owned && owned->is_array()) {
        auto records = owned_ords_from_json(*owned);
        if (!records) return false;
        s.owned = std::move(*records);
    }
    if (const nlohmann::json* contacts = core::json_member(doc, "contacts"); contacts && contacts->is_array()) {
        auto list = contacts_from_json(*contacts, paymail_domain(session));
        if (!list) return false;
        s.contacts = std::move(*list);
    }
    return true;
}

bool load_hd(WalletSession& session, const nlohmann::json& doc, TvWalletState& s)
{
    s.mnemonic.assign(doc["mnemonic"].get<std::string>());
    if (!mnemonic_valid(s.mnemonic.view())) return false;
    s.hd = true;
    if (const nlohmann::json* backup = core::json_member(doc, "backup"); backup && !backup->is_null()) {
        if (!backup->is_boolean()) return false;
        s.backup = backup->get<bool>();
    }
    if (const nlohmann::json* recv = core::json_array(doc, "recv")) {
        for (size_t i = 0; i < recv->size() && i < RECV_COUNTERS; ++i) {
            if (auto value = counter_value((*recv)[i])) s.recv[i] = *value;
        }
    }
    s.shown = s.recv[RECEIVE_ACCOUNT];
    if (const nlohmann::json* show = core::json_member(doc, "show")) {
        if (auto value = counter_value(*show)) s.shown = std::min(*value, s.recv[RECEIVE_ACCOUNT]);
    }
    if (!read_common_members(session, doc, s)) return false;
    return derive_wallet_keys(session);
}

bool load_single_key(const WalletSession& session, const nlohmann::json& doc, TvWalletState& s)
{
    std::string priv, pub, address;
    bool ok = optional_text(doc, "priv", priv) && optional_text(doc, "pub", pub) && optional_text(doc, "address", address);
    s.recv_priv.assign(std::move(priv));
    if (!ok || s.recv_priv.size() != PRIV_HEX_SIZE) return false;
    if (!read_common_members(session, doc, s)) return false;
    // The held private key must be a key, and the stored public key and address must be its own:
    // otherwise payments would be signed by a key that does not own the coins.
    auto computed = core::pubkey_from_privkey(s.recv_priv.view());
    if (!computed) return false;
    if (pub.empty()) pub = *computed;
    else if (pub != *computed) return false;
    const std::string computed_address = core::address_from_pubkey(pub);
    if (address.empty()) address = computed_address;
    else if (address != computed_address) return false;
    if (pub.empty() || address.empty()) return false;
    s.recv_pub = std::move(pub);
    s.recv_address = std::move(address);
    return true;
}

// Whether the file on disk still holds the keys of the loaded wallet.
bool same_wallet_keys(const nlohmann::json& doc, const TvWalletState& s)
{
    if (s.hd) {
        const nlohmann::json* m = core::json_member(doc, "mnemonic");
        return m && m->is_string() && m->get_ref<const std::string&>() == s.mnemonic.str();
    }
    const nlohmann::json* p = core::json_member(doc, "priv");
    return !core::json_member(doc, "mnemonic") && p && p->is_string()
           && p->get_ref<const std::string&>() == s.recv_priv.str();
}

bool file_is_envelope(const std::filesystem::path& path)
{
    SecretJson file;
    read_secret_json(path, file);
    return is_lock_envelope(file.doc());
}

bool locked_at(const std::filesystem::path& path)
{
    std::error_code ec;
    if (std::filesystem::exists(seal_path(path), ec)) return true;
    return file_is_envelope(path);
}

} // namespace

std::filesystem::path current_wallet_file_path(const WalletSession& session)
{
    const std::string id = active_wallet_id(session);
    if (id.empty()) return legacy_wallet_path();
    return wallet_file_path(id);
}

std::filesystem::path seal_path(const std::filesystem::path& wallet_file)
{
    auto p = wallet_file;
    p += ".seal";
    return p;
}

bool wallet_is_locked(const WalletSession& session)
{
    const auto path = current_wallet_file_path(session);
    if (path.empty()) return false;
    return locked_at(path);
}

bool wallet_load(WalletSession& session)
{
    WalletLock lock(session);
    TvWalletState& s = session.state();
    const std::string id = active_wallet_id(session);
    if (state_loaded(s)) {
        if (s.wallet_id == id && !wallet_is_locked(session)) return true;
        wallet_forget(session);
    }
    const auto path = wallet_file_path(id);
    if (path.empty()) return false;

    SecretJson file;
    {
        RegistryLock registry;
        if (locked_at(path)) return false;
        read_secret_json(path, file);
    }
    const nlohmann::json& doc = file.doc();
    if (!doc.is_object() || is_lock_envelope(doc)) return false;

    clear_state(s);
    const nlohmann::json* mnemonic = core::json_member(doc, "mnemonic");
    const bool ok = (mnemonic && mnemonic->is_string()) ? load_hd(session, doc, s) : load_single_key(session, doc, s);
    if (!ok || !state_loaded(s)) {
        clear_state(s);
        return false;
    }
    s.wallet_id = id;
    session.notify_loaded();
    return true;
}

bool wallet_save(WalletSession& session)
{
    WalletLock lock(session);
    TvWalletState& s = session.state();
    const std::string id = active_wallet_id(session);
    if (!state_loaded(s) || s.wallet_id != id) return false;
    const auto path = wallet_file_path(id);
    if (path.empty()) return false;

    RegistryLock registry;
    if (locked_at(path)) return false;
    SecretJson file;
    read_secret_json(path, file);
    nlohmann::json& doc = file.doc();
    if (!doc.is_object() || !same_wallet_keys(doc, s)) return false;

    if (s.owned.empty()) doc.erase("ord_owned");
    else doc["ord_owned"] = owned_ords_to_json(s.owned);
    if (s.hd) {
        // Counters only grow: Pursa may have handed out addresses since the load.
        if (const nlohmann::json* recv = core::json_array(doc, "recv")) {
            for (size_t i = 0; i < recv->size() && i < RECV_COUNTERS; ++i) {
                if (auto value = counter_value((*recv)[i])) s.recv[i] = std::max(s.recv[i], *value);
            }
        }
        doc["recv"] = s.recv;
        doc["show"] = s.shown;
        doc["address"] = s.recv_address;
    }
    return write_json_file(path, doc);
}

void wallet_forget(WalletSession& session)
{
    WalletLock lock(session);
    clear_state(session.state());
    session.notify_forgotten();
}

std::optional<WalletSummary> wallet_summary(WalletSession& session)
{
    WalletLock lock(session);
    const std::string id = active_wallet_id(session);
    if (id.empty() || wallet_is_locked(session)) return std::nullopt;
    const TvWalletState& s = session.state();
    if (state_loaded(s) && s.wallet_id == id) return WalletSummary{s.recv_address, s.hd, s.paymail};
    SecretJson file;
    read_secret_json(wallet_file_path(id), file);
    const nlohmann::json& doc = file.doc();
    if (!doc.is_object() || is_lock_envelope(doc)) return std::nullopt;
    WalletSummary out;
    const nlohmann::json* mnemonic = core::json_member(doc, "mnemonic");
    out.hd = mnemonic && mnemonic->is_string();
    out.address = core::json_string(doc, "address");
    out.paymail = core::json_string(doc, "paymail");
    return out;
}

} // namespace wallet
