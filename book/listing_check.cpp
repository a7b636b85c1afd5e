#include "book/listing_check.h"

#include "tx/outpoint.h"

namespace book {

bool listing_output_unspent(std::string_view outpoint, std::string& reason, const BookServices& services)
{
    reason.clear();
    std::optional<tx::Outpoint> parsed = tx::parse_outpoint(outpoint);
    if (!parsed) {
        reason = "Its output is not valid.";
        return false;
    }
    net::Result<net::Txo> txo = services.ordinals().txo(parsed->txid, parsed->vout);
    if (!txo) {
        reason = "The ordinals index does not know it.";
        return false;
    }
    if (txo->spend.size() == 64) {
        reason = "It was moved or sold.";
        return false;
    }
    return true;
}

} // namespace book
