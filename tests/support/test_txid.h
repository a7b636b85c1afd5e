// Txids for tests: one written out, or one hex digit 64 times.
#pragma once

#include <string>
#include <string_view>

#include "tx/txid.h"

inline tx::Txid test_txid(std::string_view hex)
{
    return tx::Txid::parse(hex).value();
}

inline tx::Txid test_txid(char digit)
{
    return test_txid(std::string(64, digit));
}
