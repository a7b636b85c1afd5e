#include "tx/wire.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/opcodes.h"
#include "tx/push.h"

namespace {

using txtest::hex;
using txtest::unhex;

std::string compact(uint64_t n)
{
    core::Bytes out;
    tx::append_compact_size(out, n);
    EXPECT_EQ(out.size(), tx::compact_size_length(n)) << n;
    return hex(out);
}

TEST(CompactSize, WritesEachWidthAtItsBoundary)
{
    EXPECT_EQ(compact(0), "00");
    EXPECT_EQ(compact(252), "fc");
    EXPECT_EQ(compact(253), "fdfd00");
    EXPECT_EQ(compact(65535), "fdffff");
    EXPECT_EQ(compact(65536), "fe00000100");
    EXPECT_EQ(compact(0xFFFFFFFFu), "feffffffff");
    EXPECT_EQ(compact(0x100000000ull), "ff0000000001000000");
}

TEST(CompactSize, ReadsBackWhatItWrites)
{
    for (uint64_t n : {0ull, 1ull, 252ull, 253ull, 254ull, 65535ull, 65536ull, 0xFFFFFFFFull, 0x100000000ull,
                       0xFFFFFFFFFFFFFFFFull}) {
        core::Bytes bytes;
        tx::append_compact_size(bytes, n);
        tx::ByteReader reader(bytes);
        EXPECT_EQ(reader.read_compact_size(), n) << n;
        EXPECT_TRUE(reader.at_end()) << n;
    }
}

TEST(CompactSize, AcceptsNonMinimalForms)
{
    core::Bytes bytes = unhex("fd0500");
    tx::ByteReader reader(bytes);
    EXPECT_EQ(reader.read_compact_size(), 5u);
    bytes = unhex("ff0100000000000000");
    tx::ByteReader wide(bytes);
    EXPECT_EQ(wide.read_compact_size(), 1u);
}

TEST(CompactSize, TruncatedPrefixFailsWithoutMoving)
{
    for (const char* text : {"", "fd", "fd01", "fe010000", "ff01000000000000"}) {
        core::Bytes bytes = unhex(text);
        tx::ByteReader reader(bytes);
        EXPECT_FALSE(reader.read_compact_size().has_value()) << text;
        EXPECT_EQ(reader.position(), 0u) << text;
    }
}

TEST(ByteReader, LittleEndianAndBounds)
{
    core::Bytes bytes = unhex("0102030405060708");
    tx::ByteReader reader(bytes);
    EXPECT_EQ(reader.read_u32_le(), 0x04030201u);
    EXPECT_FALSE(reader.read_u64_le().has_value());
    EXPECT_EQ(reader.position(), 4u);
    EXPECT_FALSE(reader.read_bytes(5).has_value());
    EXPECT_FALSE(reader.skip(0xFFFFFFFFFFFFFFFFull));
    EXPECT_EQ(reader.read_u16_le(), 0x0605u);
    EXPECT_EQ(reader.remaining(), 2u);

    core::Bytes out;
    tx::append_u64_le(out, 0x0807060504030201ull);
    EXPECT_EQ(out, bytes);
}

std::string push_prefix(size_t size)
{
    core::Bytes out = tx::push_bytes(core::Bytes(size, 0xAB));
    return hex(core::ByteView(out).first(out.size() - size));
}

TEST(Push, PrefixAtEachBoundary)
{
    EXPECT_EQ(push_prefix(0), "00");
    EXPECT_EQ(push_prefix(1), "01");
    EXPECT_EQ(push_prefix(75), "4b");
    EXPECT_EQ(push_prefix(76), "4c4c");
    EXPECT_EQ(push_prefix(255), "4cff");
    EXPECT_EQ(push_prefix(256), "4d0001");
    EXPECT_EQ(push_prefix(65535), "4dffff");
    EXPECT_EQ(push_prefix(65536), "4e00000100");
}

TEST(Push, ReaderReturnsTheDataOfEveryForm)
{
    for (size_t size : {0u, 1u, 75u, 76u, 255u, 256u, 65535u, 65536u}) {
        core::Bytes data(size, 0x5A);
        core::Bytes script = tx::push_bytes(data);
        script.push_back(tx::OP_CHECKSIG);
        size_t pos = 0;
        auto op = tx::read_script_op(script, pos);
        ASSERT_TRUE(op.has_value()) << size;
        EXPECT_TRUE(op->is_push);
        EXPECT_EQ(op->data.size(), size);
        EXPECT_EQ(pos, script.size() - 1);
        auto next = tx::read_script_op(script, pos);
        ASSERT_TRUE(next.has_value());
        EXPECT_FALSE(next->is_push);
        EXPECT_EQ(next->opcode, tx::OP_CHECKSIG);
        EXPECT_FALSE(tx::read_script_op(script, pos).has_value());
    }
}

TEST(Push, ReaderRefusesPushesRunningPastTheEnd)
{
    for (const char* text : {"01", "4b00", "4c", "4c02ff", "4d", "4d01", "4d0200ff", "4e000000", "4effffffff00"}) {
        core::Bytes script = unhex(text);
        size_t pos = 0;
        EXPECT_FALSE(tx::read_script_op(script, pos).has_value()) << text;
        EXPECT_EQ(pos, 0u) << text;
    }
}

} // namespace
