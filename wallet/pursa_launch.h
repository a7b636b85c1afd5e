// Finding a running Pursa, or starting it.
#pragma once

#include <filesystem>

namespace wallet {

// The Pursa program beside this program's executable, else in that folder's parent; empty when
// neither holds one.
std::filesystem::path find_pursa_program();

// True when a running Pursa holds its lock ("pursa.lock" in the data directory).
[[nodiscard]] bool pursa_running();

// Succeeds at once when Pursa runs; otherwise starts the Pursa program found beside this
// program (working directory: this program's folder). False when it is not found or does not
// start.
bool show_or_start_pursa();

} // namespace wallet
