// The commands of agoran-cli over the trade routines the desktop program runs. Each writes its
// result to out (the result text exactly as the library returns it, or a table or JSON) and
// returns the exit status: 0 only for "success" (or the data asked for), 3 when book or history
// printed a book the services let it read only in part (with a warning on standard error), 1
// otherwise.
#pragma once

#include <ostream>
#include <string>

#include "cli/args.h"
#include "trade/market_session.h"

namespace cli {

// Registers this process as an app of the shared data directory and runs the command over the
// program's session.
int run_command(trade::MarketSession& session, const Invocation& invocation, std::ostream& out);

// The line written once to standard error when services.json replaces the mainnet services
// ("Using Simulator at 127.0.0.1:PORT from PATH", "Using Custom services from PATH"); ""
// otherwise, for the configuration the program loaded at start.
std::string services_note(const net::ServiceConfig& services);

} // namespace cli
