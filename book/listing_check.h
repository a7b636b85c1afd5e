// Whether a listing's lot still sits in its reserved output, as the ordinals service sees it.
#pragma once

#include <optional>

#include "book/error.h"
#include "book/services.h"
#include "tx/outpoint.h"

namespace book {

// Succeeds when the outpoint is known to the ordinals service and not spent. Errors:
// OutputInvalid (no outpoint), OutputUnknown (no answer) or OutputSpent. Safe from any thread.
BookResult<void> listing_output_unspent(const std::optional<tx::Outpoint>& outpoint, const BookServices& services);

} // namespace book
