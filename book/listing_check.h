// Whether a listing's lot still sits in its reserved output, as the ordinals service sees it.
#pragma once

#include <string_view>

#include "book/error.h"
#include "book/services.h"

namespace book {

// Succeeds when the outpoint ("<txid>_<index>" or "<txid>:<index>") is known to the ordinals
// service and not spent. Errors: OutputInvalid (the text is not an outpoint), OutputUnknown (no
// answer) or OutputSpent. Safe from any thread.
BookResult<void> listing_output_unspent(std::string_view outpoint, const BookServices& services);

} // namespace book
