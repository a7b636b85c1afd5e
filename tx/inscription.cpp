#include "tx/inscription.h"

#include <algorithm>

#include "tx/opcodes.h"
#include "tx/push.h"
#include "tx/script.h"

namespace tx {

namespace {

constexpr std::string_view ORD_TAG = "ord";
constexpr size_t MIN_ENVELOPE_SIZE = 6;

bool is_field_tag(uint8_t opcode)
{
    return opcode >= OP_1 && opcode <= OP_16;
}

// The push that must follow a body marker or a field tag.
std::optional<core::ByteView> read_push_value(core::ByteView script, size_t& pos)
{
    auto op = read_script_op(script, pos);
    if (!op || !op->is_push) return std::nullopt;
    return op->data;
}

} // namespace

core::Bytes inscription_script(const core::Hash160& owner, std::string_view content_type, core::ByteView body)
{
    core::Bytes script = p2pkh_script(owner);
    script.reserve(script.size() + 16 + content_type.size() + body.size());
    script.push_back(OP_0);
    script.push_back(OP_IF);
    append_push(script, core::as_bytes(ORD_TAG));
    script.push_back(OP_1);
    append_push(script, core::as_bytes(content_type));
    script.push_back(OP_0);
    append_push(script, body);
    script.push_back(OP_ENDIF);
    return script;
}

std::optional<Envelope> parse_envelope(core::ByteView script, size_t start)
{
    if (start > script.size() || script.size() - start < MIN_ENVELOPE_SIZE) return std::nullopt;
    if (script[start] != OP_0 || script[start + 1] != OP_IF) return std::nullopt;
    size_t pos = start + 2;

    auto tag = read_push_value(script, pos);
    if (!tag || !std::equal(tag->begin(), tag->end(), ORD_TAG.begin(), ORD_TAG.end())) return std::nullopt;

    Envelope envelope;
    while (pos < script.size() && script[pos] != OP_ENDIF) {
        const uint8_t opcode = script[pos++];
        if (opcode != OP_0 && !is_field_tag(opcode)) return std::nullopt;
        auto value = read_push_value(script, pos);
        if (!value) return std::nullopt;
        if (opcode == OP_0) {
            envelope.body.assign(value->begin(), value->end());
        } else if (opcode == OP_1) {
            envelope.content_type.assign(value->begin(), value->end());
        } else if (opcode == OP_5) {
            envelope.metadata.assign(value->begin(), value->end());
        }
    }
    if (pos >= script.size() || envelope.content_type.empty()) return std::nullopt;
    envelope.end = pos + 1;
    return envelope;
}

} // namespace tx
