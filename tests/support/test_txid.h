// Txids for tests: one written out, or one hex digit 64 times; an outpoint; an input spending one.
#pragma once

#include <string>
#include <string_view>

#include "tx/outpoint.h"
#include "tx/transaction.h"
#include "tx/txid.h"

inline tx::Txid test_txid(std::string_view hex)
{
    return tx::Txid::parse(hex).value();
}

inline tx::Txid test_txid(char digit)
{
    return test_txid(std::string(64, digit));
}

inline tx::Outpoint test_outpoint(std::string_view text)
{
    return tx::parse_outpoint(text).value();
}

// An unsigned input spending txid:vout, an output of value satoshis paying hash.
inline tx::TxInput test_input(const tx::Txid& txid, uint32_t vout = 0, core::Amount value = 0, const core::Hash160& hash = {})
{
    tx::TxInput in;
    in.txid = txid;
    in.vout = vout;
    in.value = value;
    in.pub_key_hash = hash;
    return in;
}
