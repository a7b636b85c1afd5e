#include "funding/outpoint_text.h"

#include "net/text.h"

namespace funding {

std::string normalize_outpoint(std::string_view text)
{
    std::string out = net::lower_ascii(text);
    for (char& c : out) {
        if (c == ':') c = '_';
    }
    return out;
}

std::string spent_key(std::string_view txid, uint32_t vout)
{
    return net::lower_ascii(txid) + ":" + std::to_string(vout);
}

std::string lock_key(std::string_view txid, uint32_t vout)
{
    return net::lower_ascii(txid) + "_" + std::to_string(vout);
}

} // namespace funding
