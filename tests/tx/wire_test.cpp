#include "tx/wire.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"

namespace wire_test {

using txtest::hex;
using txtest::unhex;

// Each width at its boundary, written, measured and read back; wider forms than needed are read.
TEST(CompactSize, WritesReadsAndRefusesTruncation)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "00"}, {252, "fc"}, {253, "fdfd00"}, {65535, "fdffff"}, {65536, "fe00000100"},
        {0xFFFFFFFFu, "feffffffff"}, {0x100000000ull, "ff0000000001000000"},
        {0xFFFFFFFFFFFFFFFFull, "ffffffffffffffffff"},
    };
    for (const auto& [n, text] : cases) {
        core::Bytes out;
        tx::append_compact_size(out, n);
        EXPECT_EQ(hex(out), text) << n;
        EXPECT_EQ(out.size(), tx::compact_size_length(n)) << n;
        tx::ByteReader reader(out);
        EXPECT_EQ(reader.read_compact_size(), n) << n;
        EXPECT_TRUE(reader.at_end()) << n;
    }
    for (const auto& [text, n] : {std::pair{"fd0500", 5ull}, std::pair{"ff0100000000000000", 1ull}}) {
        core::Bytes bytes = unhex(text);
        tx::ByteReader reader(bytes);
        EXPECT_EQ(reader.read_compact_size(), n) << text;
    }
    for (const char* text : {"", "fd", "fd01", "fe010000", "ff01000000000000"}) {
        core::Bytes bytes = unhex(text);
        tx::ByteReader reader(bytes);
        EXPECT_FALSE(reader.read_compact_size().has_value()) << text;
        EXPECT_EQ(reader.position(), 0u) << text;
    }
}

} // namespace wire_test
