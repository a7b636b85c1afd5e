// Crash dumps of this process: a dump of a program that held a wallet's keys would carry the
// mnemonic and the private keys to whoever reads the dump file.
#pragma once

namespace platform {

// Stops the system from writing a memory dump of this process (and of the children it starts
// later) when it crashes. True when dumps are off. Safe to call more than once.
bool disable_crash_dumps();

// True when the system will write no memory dump of this process.
bool crash_dumps_disabled();

} // namespace platform
