#include "wallet/identity_keys.h"

#include "core/message.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

constexpr const char* NOT_CONNECTED = "Pursa HD wallet not connected";

} // namespace

IdentitySignature identity_sign(WalletSession& session, std::string_view message)
{
    IdentitySignature out;
    WalletLock lock(session);
    if (!wallet_load(session) || !session.state().hd) {
        out.error = NOT_CONNECTED;
        return out;
    }
    auto key = derive_path(session, identity_path());
    if (!key || key->priv_hex.size() != 64) {
        out.error = "could not derive Pursa identity key";
        return out;
    }
    auto signature = core::sign_message_plain(message, key->priv_hex.view());
    if (!signature) {
        out.error = "Pursa identity sign failed";
        return out;
    }
    out.pubkey_hex = key->pub_hex;
    out.signature = std::move(*signature);
    return out;
}

BnKey bn_key(WalletSession& session)
{
    BnKey out;
    WalletLock lock(session);
    if (!wallet_load(session) || !session.state().hd) {
        out.error = NOT_CONNECTED;
        return out;
    }
    auto key = derive_path(session, bn_path());
    if (!key || key->priv_hex.size() != 64 || key->pub_hex.size() != 66 || key->address.empty()) {
        out.error = "could not derive the BN key";
        return out;
    }
    out.pub_hex = key->pub_hex;
    out.priv_hex = std::move(key->priv_hex);
    out.address = key->address;
    return out;
}

} // namespace wallet
