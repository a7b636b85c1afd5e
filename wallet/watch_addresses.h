// The addresses whose outputs count as the wallet's ordinals.
#pragma once

#include <string>
#include <vector>

namespace wallet {

class WalletSession;

// Identity and receive address, then (HD) the ordinals addresses m/44'/236'/5'/0/i for i up to
// and including recv[5] and the ordinals change addresses m/44'/236'/5'/1/0..4; each once,
// empty ones left out. Call with the wallet lock held and the wallet loaded.
std::vector<std::string> watch_addresses(WalletSession& session);

} // namespace wallet
