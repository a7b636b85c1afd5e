#include "platform/memory_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/memory_lock.h"

namespace platform {

size_t pages::page_size()
{
    static const size_t size = [] {
        const long reported = sysconf(_SC_PAGESIZE);
        return reported > 0 ? static_cast<size_t>(reported) : size_t{4096};
    }();
    return size;
}

bool pages::lock(const void* first, size_t count) { return mlock(first, count * page_size()) == 0; }

void pages::unlock(const void* first, size_t count) { (void)munlock(first, count * page_size()); }

std::optional<size_t> locked_memory_bytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmLck:", 0) != 0) continue;
        try {
            return static_cast<size_t>(std::stoull(line.substr(6))) * 1024;  // "VmLck:   12 kB"
        } catch (...) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace platform
