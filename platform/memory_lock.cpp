#include "platform/memory_lock.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "platform/memory_pages.h"

namespace platform {
namespace {

struct PageHolders {
    size_t count = 0;     // lock_memory calls not yet undone
    bool locked = false;  // the system locked the page
};

// The count is held for a few map operations at a time; a spin lock serves, and needs no
// threading library (the Windows cross build has no std::mutex).
class SpinLock {
public:
    void lock()
    {
        while (m_flag.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { m_flag.clear(std::memory_order_release); }

private:
    std::atomic_flag m_flag = ATOMIC_FLAG_INIT;
};

struct PageLocks {
    SpinLock mutex;
    std::map<uintptr_t, PageHolders> pages;  // by page address
};

// Never destroyed: secrets held by other statics let go of their pages while the program exits,
// after the statics constructed later than them (this one among them) are gone.
PageLocks& page_locks()
{
    static PageLocks* const locks = new PageLocks;
    return *locks;
}

// The first page and the number of pages under a range.
std::pair<uintptr_t, size_t> pages_under(const void* data, size_t size)
{
    const uintptr_t page = pages::page_size();
    const uintptr_t start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = start - start % page;
    const uintptr_t last = (start + size - 1) - (start + size - 1) % page;
    return {first, static_cast<size_t>((last - first) / page + 1)};
}

} // namespace

bool lock_memory(const void* data, size_t size)
{
    if (!data || size == 0) return true;
    const auto [first, count] = pages_under(data, size);
    const uintptr_t page = pages::page_size();
    PageLocks& locks = page_locks();
    std::lock_guard<SpinLock> guard(locks.mutex);
    bool all = true;
    for (size_t i = 0; i < count; ++i) {
        const uintptr_t at = first + i * page;
        PageHolders& holders = locks.pages[at];
        ++holders.count;
        // A page the system refused once is asked again by the next holder.
        if (!holders.locked) holders.locked = pages::lock(reinterpret_cast<const void*>(at), 1);
        all = all && holders.locked;
    }
    return all;
}

void unlock_memory(const void* data, size_t size)
{
    if (!data || size == 0) return;
    const auto [first, count] = pages_under(data, size);
    const uintptr_t page = pages::page_size();
    PageLocks& locks = page_locks();
    std::lock_guard<SpinLock> guard(locks.mutex);
    for (size_t i = 0; i < count; ++i) {
        const uintptr_t at = first + i * page;
        auto it = locks.pages.find(at);
        if (it == locks.pages.end() || --it->second.count > 0) continue;
        if (it->second.locked) pages::unlock(reinterpret_cast<const void*>(at), 1);
        locks.pages.erase(it);
    }
}

} // namespace platform
