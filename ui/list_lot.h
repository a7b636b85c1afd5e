// A lot of the bound wallet as the List dialog offers it: its label in the lot menu (listed
// lots marked), what the wallet holds of it in token units, the quantity typed in those units,
// and the note that the rest of a partly listed lot waits. Pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "trade/list_routine.h"
#include "wallet/lots.h"

namespace ui {

// The lot's token decimals (0 for a picture or when the lot names none).
int lot_decimals(const wallet::TvPursaOrdRow& lot);
// "1,000,000 LYRA" (in token units) for a token lot, "1 picture" for a picture.
std::string lot_held_text(const wallet::TvPursaOrdRow& lot);
// True when one of the lot's outputs is held for a listing.
[[nodiscard]] bool lot_is_listed(const wallet::TvPursaOrdRow& lot, const std::vector<tx::Outpoint>& reserved_utxos);
// The menu entry: the name (else the token id, else the lot's id), " · ", what is held, and
// " · listed" for a listed lot.
std::string lot_choice_label(const wallet::TvPursaOrdRow& lot, bool listed);
// The quantity typed in token units as base units, or nullopt when it is not a number of them.
std::optional<std::string> lot_quantity(const wallet::TvPursaOrdRow& lot, std::string_view typed);
// When a token lot is listed in part: "The whole lot stays held while it is listed: the other
// 750,000 LYRA wait until the listing ends." ("" when the quantity is the whole lot, or not a
// number of it).
std::string lot_rest_note(const wallet::TvPursaOrdRow& lot, std::string_view typed);

// The lot as the list routine takes it.
trade::LotToList lot_to_list(const wallet::TvPursaOrdRow& lot);

} // namespace ui
