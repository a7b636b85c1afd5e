#include "tx/wire.h"

namespace tx {

void append_u16_le(core::Bytes& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void append_u32_le(core::Bytes& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void append_u64_le(core::Bytes& out, uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void append_compact_size(core::Bytes& out, uint64_t n)
{
    if (n < 253) {
        out.push_back(static_cast<uint8_t>(n));
    } else if (n < 0x10000) {
        out.push_back(0xFD);
        append_u16_le(out, static_cast<uint16_t>(n));
    } else if (n <= 0xFFFFFFFFu) {
        out.push_back(0xFE);
        append_u32_le(out, static_cast<uint32_t>(n));
    } else {
        out.push_back(0xFF);
        append_u64_le(out, n);
    }
}

size_t compact_size_length(uint64_t n)
{
    if (n < 253) return 1;
    if (n < 0x10000) return 3;
    if (n <= 0xFFFFFFFFu) return 5;
    return 9;
}

namespace {

template <typename T>
std::optional<T> read_le(core::ByteView data, size_t& pos)
{
    if (data.size() - pos < sizeof(T)) return std::nullopt;
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(data[pos + i]) << (8 * i));
    pos += sizeof(T);
    return value;
}

} // namespace

std::optional<uint8_t> ByteReader::read_u8()
{
    return read_le<uint8_t>(m_data, m_pos);
}

std::optional<uint16_t> ByteReader::read_u16_le()
{
    return read_le<uint16_t>(m_data, m_pos);
}

std::optional<uint32_t> ByteReader::read_u32_le()
{
    return read_le<uint32_t>(m_data, m_pos);
}

std::optional<uint64_t> ByteReader::read_u64_le()
{
    return read_le<uint64_t>(m_data, m_pos);
}

std::optional<uint64_t> ByteReader::read_compact_size()
{
    const size_t start = m_pos;
    auto prefix = read_u8();
    if (!prefix) return std::nullopt;
    std::optional<uint64_t> value;
    switch (*prefix) {
    case 0xFD: value = read_u16_le(); break;
    case 0xFE: value = read_u32_le(); break;
    case 0xFF: value = read_u64_le(); break;
    default: return *prefix;
    }
    if (!value) m_pos = start;
    return value;
}

std::optional<core::ByteView> ByteReader::read_bytes(uint64_t n)
{
    if (n > remaining()) return std::nullopt;
    core::ByteView view = m_data.subspan(m_pos, static_cast<size_t>(n));
    m_pos += static_cast<size_t>(n);
    return view;
}

bool ByteReader::skip(uint64_t n)
{
    if (n > remaining()) return false;
    m_pos += static_cast<size_t>(n);
    return true;
}

} // namespace tx
