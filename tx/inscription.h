// 1Sat-ordinal inscriptions: a P2PKH lock followed by an "ord" envelope
//   00 63 push("ord") 51 push(content type) 00 push(body) 68
// which the lock's script never executes (OP_FALSE OP_IF ... OP_ENDIF).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace tx {

// P2PKH lock of owner, then the envelope with the content type and body. Every push uses
// the shortest form. Safe from any thread.
core::Bytes inscription_script(const core::Hash160& owner, std::string_view content_type, core::ByteView body);

// What an envelope carries.
struct Envelope {
    std::string content_type;  // field 1 (OP_1); never empty in a parsed envelope
    core::Bytes body;          // the push after OP_0; empty when there is none
    core::Bytes metadata;      // field 5 (OP_5); empty when there is none
    size_t end = 0;            // position just past the envelope's OP_ENDIF
};

// Reads an envelope starting at start: at least 6 bytes must remain and begin 00 63; the next
// element must be a push of exactly "ord" (any push form: pushes are read by value). Then,
// until OP_ENDIF: OP_0 followed by a push sets the body; OP_1..OP_16 followed by a push sets a
// field (OP_1 content type, OP_5 metadata, other tags are read and ignored); a later body or
// field replaces an earlier one. Any other element, a push that runs past the end, a missing
// OP_ENDIF or an empty content type gives nullopt. Never reads past the end of script.
// Safe from any thread.
std::optional<Envelope> parse_envelope(core::ByteView script, size_t start);

} // namespace tx
