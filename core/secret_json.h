// JSON text that holds secrets (a wallet file with its mnemonic or private key), read and written
// so that no copy of a string value is left behind in freed memory: every intermediate buffer is
// wiped before it is released. The strings of a parsed document are the caller's to wipe when
// the document dies (wallet::SecretJson does).
#pragma once

#include <optional>
#include <string_view>

#include "core/json_fwd.h"
#include "core/secure.h"

namespace core {

// Parses text as JSON, like parse_json, with the same result. The string values never pass
// through the JSON library's lexer, its error messages or its growing buffers: each is decoded
// once into a string of its final size. nullopt when the text is not JSON (nothing of a string
// value is quoted in any error). Safe from any thread.
std::optional<Json> parse_secret_json(std::string_view text);

// json_dump_file (indent 2, final line feed) into a wiping holder; the text is never copied
// into a buffer that is released unwiped. Safe from any thread.
SecretString dump_secret_json_file(const Json& value);

} // namespace core
