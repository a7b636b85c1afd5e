// The wallets Pursa keeps: creating and restoring them, listing and showing them, locking and
// unlocking them with a password, and naming them. Every change runs under the shared registry
// lock and replaces files atomically, readable by their owner only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace pursa {

// Why a change to the vault was not made: the sentence the user reads, without the error prefix.
struct VaultError {
    std::string sentence;
};
template <typename T>
using VaultResult = core::Result<T, VaultError>;

// The wallet a command acts on: the requested id when the registry lists it; with none
// requested, the registry's "active" wallet, else the only one listed. "" when there is none.
std::string choose_wallet(const std::string& requested);

// A new HD wallet from a fresh 12-word mnemonic, listed in the registry (named name, or
// "Wallet N") and made active: its id.
VaultResult<std::string> create_hd_wallet(const std::string& name);
// The same as the command's text: "success: " + wallet id, or "error: ...".
std::string create_wallet(const std::string& name);
// The same from a mnemonic the user gives; it must pass the 12-word check.
std::string restore_wallet(std::string_view mnemonic, const std::string& name);

// One line per wallet: id, name, and "(active)" / "(locked)" marks.
std::string list_wallets_text();
// The receive, ordinals and identity addresses of a wallet (HD), or its address (single key).
std::string show_wallet(const std::string& wallet_id);

// Replaces the wallet file by its "TV-LOCK1" envelope under the password, and back.
// A wrong password is refused and nothing changes.
std::string lock_wallet(const std::string& wallet_id, std::string_view password);
std::string unlock_wallet(const std::string& wallet_id, std::string_view password);

// What publishing a paymail name needs: the name and the wallet's identity public key. Returns
// "" on success or an error sentence.
using PaymailPublisher = std::function<std::string(const std::string& name, const std::string& identity_pubkey)>;
// Stores the name (normalised, letters, digits, ".", "-" and "_") as the wallet's "paymail",
// names the registry entry after it and publishes it.
VaultResult<void> name_wallet(const std::string& wallet_id, std::string_view name, const PaymailPublisher& publish);
// The same as the command's text: "success", or "error: ...".
std::string set_paymail(const std::string& wallet_id, std::string_view name, const PaymailPublisher& publish);

// The receive address (m/44'/236'/1'/0/show) of an unlocked wallet, or "".
std::string receive_address(const std::string& wallet_id);
// The identity public key hex of an unlocked HD wallet, or "".
std::string identity_pubkey(const std::string& wallet_id);

} // namespace pursa
