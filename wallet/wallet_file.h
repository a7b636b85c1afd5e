// The bound wallet's file ("wallets/<id>/wallet.json"), loaded into the wallet session's state
// (wallet/wallet_state.h). Two forms: HD ("mnemonic" holds a string) and single-key
// ("priv"). A locked wallet (the file is a "TV-LOCK1" envelope, or a ".seal" file sits beside
// it) is never loaded. Callers hold the wallet lock around a load and the use of the keys.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace wallet {

class WalletSession;

// The wallet file of the active wallet id; the legacy "tavrinnode_pursa.json" when none.
std::filesystem::path current_wallet_file_path(const WalletSession& session);
// The seal file beside a wallet file: its path + ".seal".
std::filesystem::path seal_path(const std::filesystem::path& wallet_file);

// Makes the state reflect the bound wallet. Returns at once when the keys of the same wallet are
// held and the wallet has not been locked since; a wallet found locked is forgotten. False when
// no wallet id is active, the file is missing, not an object, locked, holds a member of the
// wrong type, a mnemonic that fails the check, or a private key that does not match its
// public key or address.
[[nodiscard]] bool wallet_load(WalletSession& session);

// Writes back the members this program owns ("ord_owned"; for the HD form also "recv", "show"
// and the "address" shown) into the file as it is on disk now, under the registry lock, through a
// temporary file and a rename. Every other member stays as found. False (nothing written) when
// no wallet is loaded, the wallet is locked, or the file is missing, unreadable, or holds
// another wallet's keys.
[[nodiscard]] bool wallet_save(WalletSession& session);

// Wipes the state and tells the listeners.
void wallet_forget(WalletSession& session);

// True when the seal file exists, or the wallet file parses as a "TV-LOCK1" envelope.
[[nodiscard]] bool wallet_is_locked(const WalletSession& session);

struct WalletSummary {
    std::string address;
    bool hd = false;
    std::string paymail;
};
// A read-only peek for the main window: from the state when loaded, otherwise from the file's
// "mnemonic", "address" and "paymail" without deriving keys. nullopt when no wallet id is
// active, the wallet is locked or the file cannot be read.
std::optional<WalletSummary> wallet_summary(WalletSession& session);

} // namespace wallet
