#include "ui/list_lot.h"

#include "book/post.h"

namespace ui {

std::string lot_choice_label(const wallet::TvPursaOrdRow& lot)
{
    std::string label = !lot.name.empty() ? lot.name : !lot.token_id.empty() ? lot.token_id : lot.origin;
    return label + "  " + (lot.is_picture() ? std::string("picture") : lot.amt + " lots");
}

std::string lot_outpoint(const wallet::TvPursaOrdRow& lot)
{
    return book::ascii_lower(lot.txid) + "_" + std::to_string(lot.vout);
}

} // namespace ui
