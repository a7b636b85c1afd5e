// The wallet key: the name of the bound wallet in per-wallet cache files ("ord_snap/<key>.json",
// "ord_snap/<key>_spent.json", ...), and what a long operation compares before and after its
// network fetches to notice that another wallet was bound meanwhile.
#pragma once

#include <string>
#include <string_view>

namespace wallet {

class WalletSession;

// The active wallet id, else the loaded wallet's identity address, else its receive address;
// every character that is not an ASCII letter or digit becomes "_"; "wallet" when empty; at most
// 80 characters. Takes the wallet lock.
std::string wallet_key(const WalletSession& session);

// The same rule applied to a given text.
std::string wallet_key_of(std::string_view text);

} // namespace wallet
