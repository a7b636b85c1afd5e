// A check that secrets never outlive their buffers: while a scan is on, every block this test
// program frees through operator delete is searched for the secrets given, before it goes back
// to the heap. A block that still holds one was freed without being wiped.
//
// The program's operator new and delete are replaced for this (freed_memory_scan.cpp). Under
// AddressSanitizer or ThreadSanitizer, which bring their own, the scan is not built and
// freed_memory_scan_available() is false.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hardening {

[[nodiscard]] bool freed_memory_scan_available();

struct FreedSecret {
    size_t secret = 0;      // index into the secrets given to start_freed_memory_scan
    size_t block_size = 0;  // size of the freed block that held it
};

// Starts searching freed blocks for each of the secrets (at most 16, each 1 to 256 bytes).
void start_freed_memory_scan(const std::vector<std::string>& secrets);
// Stops the search and returns every block found holding a secret since the start.
std::vector<FreedSecret> stop_freed_memory_scan();

} // namespace hardening
