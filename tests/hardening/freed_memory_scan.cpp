#include "tests/hardening/freed_memory_scan.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AGORAN_SCAN_FREED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define AGORAN_SCAN_FREED 0
#endif
#endif
#ifndef AGORAN_SCAN_FREED
#define AGORAN_SCAN_FREED 1
#endif

namespace hardening {

namespace {

constexpr size_t MAX_SECRETS = 16;
constexpr size_t MAX_SECRET = 256;
constexpr size_t MAX_FINDINGS = 64;

// Fixed storage only: the scan runs inside operator delete and must not allocate.
struct ScanState {
    std::mutex mutex;
    std::atomic<bool> on{false};
    std::array<std::array<char, MAX_SECRET>, MAX_SECRETS> secrets{};
    std::array<size_t, MAX_SECRETS> sizes{};
    size_t count = 0;
    std::array<FreedSecret, MAX_FINDINGS> findings{};
    size_t found = 0;
};

ScanState& scan_state()
{
    static ScanState state;
    return state;
}

[[maybe_unused]] void scan_block(const void* block, size_t size)
{
    auto& s = scan_state();
    if (!s.on.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(s.mutex);
    for (size_t i = 0; i < s.count; ++i) {
        if (s.sizes[i] > size) continue;
        const char* begin = static_cast<const char*>(block);
        const char* end = begin + size;
        const char* secret = s.secrets[i].data();
        if (std::search(begin, end, secret, secret + s.sizes[i]) != end && s.found < MAX_FINDINGS) {
            s.findings[s.found++] = FreedSecret{i, size};
            // Under a debugger, AGORAN_SCAN_ABORT=1 stops at the delete that leaves the secret.
            if (std::getenv("AGORAN_SCAN_ABORT")) std::abort();
        }
    }
}

} // namespace

bool freed_memory_scan_available() { return AGORAN_SCAN_FREED != 0; }

void start_freed_memory_scan(const std::vector<std::string>& secrets)
{
    auto& s = scan_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.count = 0;
    s.found = 0;
    for (const auto& secret : secrets) {
        if (s.count == MAX_SECRETS || secret.empty() || secret.size() > MAX_SECRET) std::abort();
        std::memcpy(s.secrets[s.count].data(), secret.data(), secret.size());
        s.sizes[s.count++] = secret.size();
    }
    s.on.store(true, std::memory_order_release);
}

std::vector<FreedSecret> stop_freed_memory_scan()
{
    auto& s = scan_state();
    std::array<FreedSecret, MAX_FINDINGS> copy{};
    size_t found = 0;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.on.store(false, std::memory_order_release);
        copy = s.findings;
        found = s.found;
    }
    return std::vector<FreedSecret>(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(found));
}

} // namespace hardening

#if AGORAN_SCAN_FREED
// Every block carries its size in a 16-byte header, so that delete knows how much to search.
namespace {

constexpr size_t HEADER = 16;

void* allocate(size_t size)
{
    void* base = std::malloc(size + HEADER);
    if (!base) return nullptr;
    *static_cast<size_t*>(base) = size;
    return static_cast<char*>(base) + HEADER;
}

void release(void* block) noexcept
{
    if (!block) return;
    char* base = static_cast<char*>(block) - HEADER;
    const size_t size = *reinterpret_cast<size_t*>(base);
    hardening::scan_block(block, size);
    // Cleared once searched: a later block carved from this memory never shows a finding that
    // belongs to a delete made before the scan started (or already reported).
    std::memset(block, 0, size);
    std::free(base);
}

} // namespace

void* operator new(size_t size)
{
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
#endif
