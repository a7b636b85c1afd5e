// BSV-20/21 token bodies: the JSON carried by inscriptions of content type "application/bsv-20".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tx {

inline constexpr std::string_view BSV20_CONTENT_TYPE = "application/bsv-20";

// The transfer body: a compact JSON object, keys sorted, every value a string:
//   "amt", then "dec", "icon" only when non-empty, "id", then "name" when non-empty,
//   "op":"transfer", "p":"bsv-20", then "sym" when non-empty.
// Text that is not valid UTF-8 is written with replacement characters rather than refused.
// Safe from any thread.
std::string bsv20_transfer_json(std::string_view token_id, std::string_view amount, std::string_view name = {},
                                std::string_view icon = {}, std::string_view symbol = {},
                                std::string_view decimals = {});

// A body read back. Members that are missing or of the wrong type are empty.
struct Bsv20Body {
    std::string op;
    std::string id;
    std::string amt;  // decimal text; integers are kept exact, never passed through a double
    std::string dec;  // decimal text, as "amt"
    std::string sym;
    std::string icon;
    std::string name;

    // A body counts as a token only when it names its token id.
    [[nodiscard]] bool is_token() const { return !id.empty(); }
};

// Parses a body: it must be a JSON object whose "p" is exactly "bsv-20". "op", "id", "sym",
// "icon" and "name" are read when they are strings. "amt" and "dec" are read when they are a
// string (kept as written) or a non-negative integer (written in decimal); a fraction, a
// negative number or a number too large for 64 bits leaves them empty. Returns nullopt when
// the text is not JSON or "p" is not "bsv-20". Safe from any thread.
std::optional<Bsv20Body> parse_bsv20(std::string_view body);

} // namespace tx
