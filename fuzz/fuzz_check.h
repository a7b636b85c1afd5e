// What every fuzz target shares: the libFuzzer entry points, a property check that stops the
// run with a message, and a cursor that splits the input into the values a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

// A property that must hold for every input; when it fails the input is a finding.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace fuzz {

inline std::string_view as_text(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

inline core::ByteView as_bytes(const uint8_t* data, size_t size) { return {data, size}; }

// Takes leading bytes off the input as small selectors; the rest stays as the payload.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t take_byte()
    {
        if (m_size == 0) return 0;
        --m_size;
        return *m_data++;
    }
    std::string_view rest_text() const { return as_text(m_data, m_size); }
    core::ByteView rest_bytes() const { return {m_data, m_size}; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace fuzz
