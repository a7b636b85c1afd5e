#include "ui/list_lot.h"

namespace ui {

std::string lot_choice_label(const wallet::TvPursaOrdRow& lot)
{
    std::string label = !lot.name.empty() ? lot.name : !lot.token_id.empty() ? lot.token_id : lot.origin;
    return label + "  " + (lot.is_picture() ? std::string("picture") : lot.amt + " lots");
}

trade::LotToList lot_to_list(const wallet::TvPursaOrdRow& lot)
{
    trade::LotToList out;
    out.id = lot.origin;
    out.txid = lot.txid;
    out.vout = lot.vout;
    out.name = lot.name;
    out.token_id = lot.token_id;
    out.amount = lot.amt;
    return out;
}

} // namespace ui
