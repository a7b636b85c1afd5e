#include "devnet/chain_tx.h"

#include <algorithm>

#include "tx/serialize.h"

namespace devnet {

bool is_coinbase_input(const tx::RawTxInput& input)
{
    return input.prev_index == COINBASE_INDEX &&
           std::all_of(input.prev_hash.begin(), input.prev_hash.end(), [](uint8_t b) { return b == 0; });
}

std::string txid_of(core::ByteView raw)
{
    return tx::tx_id(raw).hex();
}

} // namespace devnet
