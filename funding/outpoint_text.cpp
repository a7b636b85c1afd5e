#include "funding/outpoint_text.h"

#include "net/text.h"

namespace funding {

std::string normalize_outpoint(std::string_view text)
{
    std::string out = core::ascii_lower(text);
    for (char& c : out) {
        if (c == ':') c = '_';
    }
    return out;
}

std::string spent_key(const tx::Outpoint& outpoint)
{
    return outpoint.txid.hex() + ":" + std::to_string(outpoint.vout);
}

std::string lock_key(std::string_view txid, uint32_t vout)
{
    return core::ascii_lower(txid) + "_" + std::to_string(vout);
}

std::string lock_key(const tx::Txid& txid, uint32_t vout)
{
    return tx::format_outpoint(txid, vout);
}

} // namespace funding
