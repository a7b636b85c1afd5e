// Ordinal outputs paid to the wallet that the ordinals index may not show yet: read from the
// recent history of the watch addresses at WhatsOnChain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/woc_client.h"
#include "tx/txid.h"

namespace wallet {

// A 1-satoshi output carrying an inscription, paid to a watch address.
struct LocalOrd {
    tx::Txid txid;
    uint32_t vout = 0;
    std::string address;
    std::string type;      // content type, or "bsv-20" for a token output
    std::string name;
    std::string token_id;  // BSV-21 token id; for a deploy+mint the output's own outpoint
    std::string amt;       // token units, decimal text
    std::string dec;
    int64_t height = 0;  // 0 while unmined
};

// Takes up to limit txids per address from its unconfirmed, then confirmed history lists,
// fetches those transactions (bounded parallel loop) and returns their 1-satoshi outputs to any
// of the addresses (read from the output script itself) that carry a picture inscription or a BSV-21 transfer / deploy+mint.
// Failures of single requests leave their part out (one that throws also logs a warning).
std::vector<LocalOrd> ingest_woc_recent_ords(const std::vector<std::string>& addresses, size_t limit,
                                             const net::WocClient& woc);

} // namespace wallet
