#include "book/proven_tx.h"

#include "book/post.h"
#include "core/hex.h"
#include "tx/serialize.h"

namespace book {

std::optional<tx::RawTx> prove_raw_tx(std::string_view txid, std::string_view hex)
{
    if (txid.size() != 64 || hex.empty()) return std::nullopt;
    std::optional<core::Bytes> raw = core::hex_decode(hex);
    if (!raw || tx::tx_id(*raw).hex() != core::ascii_lower(txid)) return std::nullopt;
    return tx::parse_raw_tx(*raw);
}

} // namespace book
