#include "funding/spent_check.h"

#include <algorithm>

#include "funding/chain_clients.h"

namespace funding {

SpentVerdict check_spent_inputs(const Session& session, const std::vector<tx::TxInput>& inputs, const std::vector<tx::Txid>& own_txids)
{
    SpentVerdict verdict;
    ChainClients clients = chain_clients(session);
    for (size_t i = 0; i < inputs.size(); ++i) {
        auto answer = clients.woc.spent(inputs[i].txid, inputs[i].vout);
        if (!answer) {
            verdict.unanswered.push_back(i);
            continue;
        }
        switch (answer->state) {
        case net::SpentCheck::State::Unspent:
            verdict.unspent.push_back(i);
            break;
        case net::SpentCheck::State::UnknownOutpoint:
            verdict.unknown.push_back(i);
            break;
        case net::SpentCheck::State::Spent: {
            const tx::Txid& spender = answer->spender_txid;
            if (std::find(own_txids.begin(), own_txids.end(), spender) != own_txids.end()) verdict.settled = spender;
            else verdict.dead = true;
            verdict.gone.push_back(i);
            break;
        }
        }
    }
    return verdict;
}

} // namespace funding
