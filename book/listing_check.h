// Whether a listing's lot still sits in its reserved output, as the ordinals service sees it.
#pragma once

#include <string>
#include <string_view>

#include "book/services.h"

namespace book {

// True when the outpoint ("<txid>_<index>" or "<txid>:<index>") is known to the ordinals
// service and not spent. Otherwise false with reason "bad utxo" (the text is not an outpoint),
// "GorillaPool miss" (no answer) or "UTXO spent". Safe from any thread.
[[nodiscard]] bool listing_output_unspent(std::string_view outpoint, std::string& reason,
                                          const BookServices& services = default_services());

} // namespace book
