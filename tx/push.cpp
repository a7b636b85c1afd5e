#include "tx/push.h"

#include "tx/opcodes.h"
#include "tx/wire.h"

namespace tx {

void append_push(core::Bytes& out, core::ByteView data)
{
    const size_t size = data.size();
    if (size < OP_PUSHDATA1) {
        out.push_back(static_cast<uint8_t>(size));
    } else if (size < 0x100) {
        out.push_back(OP_PUSHDATA1);
        out.push_back(static_cast<uint8_t>(size));
    } else if (size <= 0xFFFF) {
        out.push_back(OP_PUSHDATA2);
        append_u16_le(out, static_cast<uint16_t>(size));
    } else {
        out.push_back(OP_PUSHDATA4);
        append_u32_le(out, static_cast<uint32_t>(size));
    }
    out.insert(out.end(), data.begin(), data.end());
}

core::Bytes push_bytes(core::ByteView data)
{
    core::Bytes out;
    out.reserve(data.size() + 5);
    append_push(out, data);
    return out;
}

std::optional<ScriptOp> read_script_op(core::ByteView script, size_t& pos)
{
    if (pos >= script.size()) return std::nullopt;
    ByteReader reader(script.subspan(pos));
    const uint8_t opcode = *reader.read_u8();
    ScriptOp op;
    op.opcode = opcode;
    if (opcode > OP_PUSHDATA4) {
        pos += 1;
        return op;
    }
    std::optional<uint64_t> length;
    if (opcode < OP_PUSHDATA1) {
        length = opcode;
    } else if (opcode == OP_PUSHDATA1) {
        length = reader.read_u8();
    } else if (opcode == OP_PUSHDATA2) {
        length = reader.read_u16_le();
    } else {
        length = reader.read_u32_le();
    }
    if (!length) return std::nullopt;
    auto data = reader.read_bytes(*length);
    if (!data) return std::nullopt;
    op.is_push = true;
    op.data = *data;
    pos += reader.position();
    return op;
}

} // namespace tx
