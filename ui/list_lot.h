// A lot of the bound wallet as the List dialog offers it. Pure.
#pragma once

#include <string>

#include "trade/list_routine.h"
#include "wallet/lots.h"

namespace ui {

// The name, else the token id, else the lot's own id; two blanks; then the units held and
// " lots", or "picture".
std::string lot_choice_label(const wallet::TvPursaOrdRow& lot);

// The lot as the list routine takes it.
trade::LotToList lot_to_list(const wallet::TvPursaOrdRow& lot);

} // namespace ui
