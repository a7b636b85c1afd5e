// Whether a listing's lot still sits in its reserved output, as the ordinals service sees it.
#pragma once

#include <string>
#include <string_view>

#include "book/services.h"

namespace book {

// True when the outpoint ("<txid>_<index>" or "<txid>:<index>") is known to the ordinals
// service and not spent. Otherwise false with a sentence for the user in reason: "Its output is
// not valid." (the text is not an outpoint), "The ordinals index does not know it." (no answer)
// or "It was moved or sold.". Safe from any thread.
[[nodiscard]] bool listing_output_unspent(std::string_view outpoint, std::string& reason,
                                          const BookServices& services);

} // namespace book
