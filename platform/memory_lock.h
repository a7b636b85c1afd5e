// Keeping secrets out of the swap file: the pages under a buffer that holds a key, a seed or a
// mnemonic are locked in memory while some holder wants them. Locks are counted per page, so
// two secrets that share a page keep it locked until both let go. Locking fails soft: where the
// system refuses (a limit on locked memory, no privilege) the buffer stays as it was.
#pragma once

#include <cstddef>
#include <optional>

namespace platform {

// Locks the pages under [data, data + size). True when every page is locked (also when it
// already was). Every call, whatever it returned, is matched later by one unlock_memory with the
// same range. Size 0 does nothing and returns true. Safe from any thread.
bool lock_memory(const void* data, size_t size);

// Gives up the lock lock_memory took; a page is unlocked when no lock is left on it. Safe from
// any thread.
void unlock_memory(const void* data, size_t size);

// Bytes of this process's memory the system keeps locked, where the system tells (Linux);
// nullopt elsewhere.
std::optional<size_t> locked_memory_bytes();

} // namespace platform
