// Crash dumps and the memory of this process: a dump of a program that held a wallet's keys, or
// another program reading its memory, would carry the mnemonic and the private keys away.
#pragma once

#include <optional>

namespace platform {

// Stops the system from writing a memory dump of this process when it crashes: no core file
// (inherited by the children it starts later) and, on Linux, the process is no longer
// dumpable, so no other process of the user may attach a debugger or read its memory; on
// Windows no crash dialog, no Windows Error Reporting dump of the heap, and a crash ends the
// process before Windows Error Reporting runs. True when all of it took effect. Safe to call
// more than once. Every program that holds keys calls it first thing, and prints
// CRASH_DUMPS_WARNING when it returns false.
[[nodiscard]] bool disable_crash_dumps();

inline constexpr const char* CRASH_DUMPS_WARNING =
    "warning: crash dumps could not be turned off: a crash could write this program's memory, keys included, to disk.";

// True when the system will write no memory dump file of this process.
bool crash_dumps_disabled();

// Whether other processes of the user are kept out of this process's memory (Linux: true once
// disable_crash_dumps ran); nullopt where the system has no such mark for a process (Windows).
std::optional<bool> memory_private();

} // namespace platform
