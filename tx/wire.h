// The integer encodings of the Bitcoin wire format: little-endian fixed-width integers, the
// CompactSize length prefix, and a cursor that reads them without ever running past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/bytes.h"

namespace tx {

// Append the value to out, least significant byte first. Safe from any thread.
void append_u16_le(core::Bytes& out, uint16_t value);
void append_u32_le(core::Bytes& out, uint32_t value);
void append_u64_le(core::Bytes& out, uint64_t value);

// Appends the CompactSize form of n: one byte below 253; FD then u16 LE below 0x10000;
// FE then u32 LE up to 0xFFFFFFFF; FF then u64 LE otherwise. Safe from any thread.
void append_compact_size(core::Bytes& out, uint64_t n);

// The number of bytes append_compact_size writes for n (1, 3, 5 or 9).
size_t compact_size_length(uint64_t n);

// Reads from a byte view it does not own (the view must outlive the reader). Every read
// either succeeds in full and advances the position, or fails and leaves the position where
// it was. A reader is not shared between threads.
class ByteReader {
public:
    explicit ByteReader(core::ByteView data) : m_data(data) {}

    [[nodiscard]] size_t position() const { return m_pos; }
    [[nodiscard]] size_t remaining() const { return m_data.size() - m_pos; }
    [[nodiscard]] bool at_end() const { return m_pos == m_data.size(); }

    std::optional<uint8_t> read_u8();
    std::optional<uint16_t> read_u16_le();
    std::optional<uint32_t> read_u32_le();
    std::optional<uint64_t> read_u64_le();
    // A CompactSize; the value need not be minimally encoded. nullopt when the prefix or
    // any of the 2, 4 or 8 bytes it announces is missing.
    std::optional<uint64_t> read_compact_size();
    // The next n bytes as a view into the data, or nullopt when fewer remain.
    std::optional<core::ByteView> read_bytes(uint64_t n);
    [[nodiscard]] bool skip(uint64_t n);

private:
    core::ByteView m_data;
    size_t m_pos = 0;
};

} // namespace tx
