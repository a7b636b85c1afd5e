// A lot of the bound wallet as the List dialog offers it: the label of its choice and the
// outpoint a listing of it reserves. Pure.
#pragma once

#include <string>

#include "wallet/lots.h"

namespace ui {

// The name, else the token id, else the lot's own id; two blanks; then the units held and
// " lots", or "picture".
std::string lot_choice_label(const wallet::TvPursaOrdRow& lot);

// The lot's outpoint as a listing's "utxo": the txid in lower case, "_", the output index.
std::string lot_outpoint(const wallet::TvPursaOrdRow& lot);

} // namespace ui
