// WhatsOnChain's way of writing transactions: the decoded JSON with output values in BSV,
// the node's script "asm", and the script hash its address endpoints report.
#pragma once

#include <cstdint>
#include <string>

#include "core/bytes.h"
#include "devnet/chain_state.h"

namespace devnet {

// sats / 10^8 written as a JavaScript number prints it: shortest decimal ("0.00000549",
// "12.5000042", "1"), switching to exponent form below 10^-6 ("1e-8", "9.9e-7").
std::string bsv_number_text(uint64_t sats);

// The node's asm text. Pushes of up to 4 bytes print as script numbers, OP_0 as "0", OP_1..16
// as numbers; with signatures set, a push that is a strictly encoded signature prints as its
// DER hex followed by its hash type in brackets, e.g. "[ALL|FORKID]".
std::string script_asm(core::ByteView script, bool signatures);

// Hex of the SHA-256 of a locking script, byte-reversed (WhatsOnChain's "script").
std::string script_hash_text(core::ByteView script);

// The decoded transaction JSON of "/tx/{txid}" (also "/tx/decode" with height -1 for an
// unmined form). With value_sat, each output also carries integer "valueSat" (the registry
// host's form). tip is the chain's height (for "confirmations").
std::string woc_tx_json(const TxRecord& record, const Block* block, int64_t tip, bool value_sat);

} // namespace devnet
