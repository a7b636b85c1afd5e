#include "book/reduce_context.h"

#include "book/identity.h"

namespace book {

ReduceContext reduce_context_for(const std::vector<PostRecord>& posts, const LoadOptions& options)
{
    ReduceContext context;
    context.house_fee_address = options.services.house_fee_address;
    context.oracle_address = options.services.oracle_address;
    context.reserved_listing_ids = options.own_listing_ids;
    if (has_force_cancel(posts)) context.architect_keys = architect_keys_for_reduction(options.services);
    return context;
}

} // namespace book
