// The commands of agoran-cli over the trade routines the desktop program runs. Each writes its
// result to out (the result text exactly as the library returns it, or a table or JSON) and
// returns the exit status: 0 only for "success" (or the data asked for), 3 when book or history
// printed a book the services let it read only in part (with a warning on standard error), 1
// otherwise.
#pragma once

#include <ostream>

#include "cli/args.h"

namespace cli {

// Registers this process as an app of the shared data directory and runs the command.
int run_command(const Invocation& invocation, std::ostream& out);

} // namespace cli
