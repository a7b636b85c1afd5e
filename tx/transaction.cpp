#include "tx/transaction.h"

namespace tx {

TxInput::TxInput(const TxInput& other)
    : txid(other.txid),
      vout(other.vout),
      value(other.value),
      script_sig(other.script_sig),
      prev_script(other.prev_script),
      priv_key_hex(std::string(other.priv_key_hex.view())),
      pub_key_hex(other.pub_key_hex),
      pub_key_hash(other.pub_key_hash)
{
}

TxInput& TxInput::operator=(const TxInput& other)
{
    if (this == &other) return *this;
    txid = other.txid;
    vout = other.vout;
    value = other.value;
    script_sig = other.script_sig;
    prev_script = other.prev_script;
    priv_key_hex.assign(std::string(other.priv_key_hex.view()));
    pub_key_hex = other.pub_key_hex;
    pub_key_hash = other.pub_key_hash;
    return *this;
}

} // namespace tx
