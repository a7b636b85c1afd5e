// The other side of the user's trades while the demo runs: a seeded trader that offers on each
// listing the user posts, a few seconds after it appears, and completes the offers made on its
// own listings. It acts as the bound wallet of this process (demo/trader_desk.h).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tx/txid.h"

namespace trade {
class MarketSession;
}

namespace demo {

struct CounterpartyMemory {
    std::set<tx::Txid> offered;    // listing ids it offered on (or tried to)
    std::set<tx::Txid> answered;   // offer ids it completed (or tried to)
};

// One look at the book: an offer for the whole quantity on every live listing of the user
// (identity key user_key) it has not offered on yet, then a completion of every offer waiting
// on its own listings. Returns one line per thing done or refused; nothing when idle.
std::vector<std::string> counterparty_pass(trade::MarketSession& session, const std::string& user_key, CounterpartyMemory& memory);

} // namespace demo
