// Signing with the wallet's identity key (m/44'/236'/100'/0/0) and handing out its BN key
// (m/44'/236'/102'/0/0), both for HD wallets only. Each takes the wallet lock and loads the
// wallet itself.
#pragma once

#include <string>
#include <string_view>

#include "core/secure.h"

namespace wallet {

class WalletSession;

struct IdentitySignature {
    std::string pubkey_hex;  // 66 characters
    std::string signature;   // Base64 of r || s, 88 characters
    std::string error;       // empty on success
};
// Signs message (a "Bitcoin Signed Message" plain signature) with the identity key. Errors:
// "Pursa HD wallet not connected", "could not derive Pursa identity key",
// "Pursa identity sign failed".
IdentitySignature identity_sign(WalletSession& session, std::string_view message);

struct BnKey {
    std::string pub_hex;
    core::SecretString priv_hex;
    std::string address;
    std::string error;  // empty on success
};
// Errors: "Pursa HD wallet not connected", "could not derive the BN key".
BnKey bn_key(WalletSession& session);

} // namespace wallet
