// Data pushes inside scripts: the writer used for every push this program makes, and a reader
// that steps over one script element at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/bytes.h"

namespace tx {

// Appends push(data): a length L below 76 as one byte; below 256 as 4C L; up to 65535 as
// 4D then u16 LE; otherwise 4E then u32 LE; then the L bytes. An empty push is the single
// byte 00. Safe from any thread.
void append_push(core::Bytes& out, core::ByteView data);

// push(data) as a fresh byte string.
core::Bytes push_bytes(core::ByteView data);

// One element of a script. For a data push (opcodes 00 to 4E) is_push is true and data views
// the pushed bytes inside the script; for any other opcode data is empty.
struct ScriptOp {
    uint8_t opcode = 0;
    bool is_push = false;
    core::ByteView data;
};

// Reads the element that starts at pos and moves pos past it. Returns nullopt, leaving pos
// unchanged, when pos is at or past the end or a push's length or data runs past the end.
// The views in the result point into script. Safe from any thread.
std::optional<ScriptOp> read_script_op(core::ByteView script, size_t& pos);

} // namespace tx
