#include "tx/wire.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/opcodes.h"
#include "tx/push.h"

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

// The shortest push of each size, read back as data followed by the next opcode.
TEST(Push, EachFormWrittenAndRead)
{
    const std::pair<size_t, const char*> cases[] = {
        {0, "00"}, {1, "01"}, {75, "4b"}, {76, "4c4c"}, {255, "4cff"}, {256, "4d0001"}, {65535, "4dffff"}, {65536, "4e00000100"},
    };
    for (const auto& [size, prefix] : cases) {
        core::Bytes script = tx::push_bytes(core::Bytes(size, 0x5A));
        EXPECT_EQ(hex(core::ByteView(script).first(script.size() - size)), prefix) << size;
        script.push_back(tx::OP_CHECKSIG);
        size_t pos = 0;
        auto op = tx::read_script_op(script, pos);
        ASSERT_TRUE(op.has_value()) << size;
        EXPECT_TRUE(op->is_push);
        EXPECT_EQ(op->data.size(), size);
        auto next = tx::read_script_op(script, pos);
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(next->opcode, tx::OP_CHECKSIG);
        EXPECT_FALSE(tx::read_script_op(script, pos).has_value());
    }
    for (const char* text : {"01", "4b00", "4c", "4c02ff", "4d", "4d01", "4d0200ff", "4e000000", "4effffffff00"}) {
        core::Bytes script = unhex(text);
        size_t pos = 0;
        EXPECT_FALSE(tx::read_script_op(script, pos).has_value()) << text;
        EXPECT_EQ(pos, 0u) << text;
    }
}

} // namespace wire_test
