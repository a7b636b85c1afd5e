// Gathering what one reduction needs from outside, so that reduction itself does no I/O.
#pragma once

#include <vector>

#include "book/load.h"
#include "book/reduce.h"

namespace book {

// The market addresses of the services, the bound wallet's reserved listings, and the
// architects list, fetched (once) only when some post is a force cancel, with the last good
// list standing in when that fetch fails.
ReduceContext reduce_context_for(const std::vector<PostRecord>& posts, const LoadOptions& options);

} // namespace book
