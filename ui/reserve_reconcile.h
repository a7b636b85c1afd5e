// Reserve reconciliation is the library's (trade/reserve_reconcile.h); the desktop program runs
// it after every complete book load, as agoran-cli does.
#pragma once

#include "trade/reserve_reconcile.h"

namespace ui {

using trade::is_closed;
using trade::listing_states;
using trade::ListingState;
using trade::reserves_to_drop;

} // namespace ui
