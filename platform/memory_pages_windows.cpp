#include "platform/memory_pages.h"

#include <windows.h>

#include "platform/memory_lock.h"

namespace platform {

size_t pages::page_size()
{
    static const size_t size = [] {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return info.dwPageSize > 0 ? static_cast<size_t>(info.dwPageSize) : size_t{4096};
    }();
    return size;
}

// VirtualLock keeps the pages in the working set; it fails once the working set's minimum is
// used up, which is the soft failure the callers expect.
bool pages::lock(const void* first, size_t count)
{
    return VirtualLock(const_cast<void*>(first), count * page_size()) != 0;
}

void pages::unlock(const void* first, size_t count) { (void)VirtualUnlock(const_cast<void*>(first), count * page_size()); }

std::optional<size_t> locked_memory_bytes() { return std::nullopt; }

} // namespace platform
