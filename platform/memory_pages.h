// The operating system's side of platform/memory_lock.h: whole pages, no counting.
#pragma once

#include <cstddef>

namespace platform::pages {

// The size of a page of memory.
size_t page_size();
// Locks or unlocks count pages from the page-aligned address first. True on success.
bool lock(const void* first, size_t count);
void unlock(const void* first, size_t count);

} // namespace platform::pages
