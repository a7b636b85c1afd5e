#include "book/listing_check.h"

#include "tx/outpoint.h"

namespace book {

BookResult<void> listing_output_unspent(std::string_view outpoint, const BookServices& services)
{
    std::optional<tx::Outpoint> parsed = tx::parse_outpoint(outpoint);
    if (!parsed) return BookError(BookCode::OutputInvalid);
    net::Result<net::Txo> txo = services.ordinals().txo(parsed->txid, parsed->vout);
    if (!txo) return BookError(BookCode::OutputUnknown);
    if (txo->spent()) return BookError(BookCode::OutputSpent);
    return {};
}

} // namespace book
