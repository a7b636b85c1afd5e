// Each service's routes, added to the simulator's router. The handlers read the chain under
// its reader lock and never hold it while waiting on anything.
#pragma once

#include <string>

#include <httplib.h>

#include "devnet/chain.h"
#include "devnet/faults.h"
#include "devnet/registry_state.h"
#include "devnet/router.h"

namespace devnet {

struct DevnetContext {
    Chain& chain;
    RegistryState& registry;
    Faults& faults;
};

// WhatsOnChain under "/woc/v1/bsv/main" and its web site under "/woc-site".
void add_woc_routes(Router& router, DevnetContext& ctx);
// GorillaPool's ordinals API under "/ordinals/api" and its content base "/ordinals".
void add_ordinals_routes(Router& router, DevnetContext& ctx);
// ARC under "/arc".
void add_arc_routes(Router& router, DevnetContext& ctx);
// The registry host under "/registry", and the product web page under "/product".
void add_registry_routes(Router& router, DevnetContext& ctx);
// The admin interface under "/admin".
void add_admin_routes(Router& router, DevnetContext& ctx);

} // namespace devnet
