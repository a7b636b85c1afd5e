#include "book/listing_check.h"

namespace book {

BookResult<void> listing_output_unspent(const std::optional<tx::Outpoint>& outpoint, const BookServices& services)
{
    if (!outpoint) return BookError(BookCode::OutputInvalid);
    net::Result<net::Txo> txo = services.ordinals().txo(outpoint->txid, outpoint->vout);
    if (!txo) return BookError(BookCode::OutputUnknown);
    if (txo->spent()) return BookError(BookCode::OutputSpent);
    return {};
}

} // namespace book
