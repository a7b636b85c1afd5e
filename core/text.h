// Text helpers: UTF-8 <-> UTF-16 at the boundary with the windows, ASCII case and trimming, and pulling a txid
// out of pasted text. All functions are pure and safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace core {

// Converts UTF-8 to UTF-16. Returns the converted text; empty when the input is empty or is not
// well-formed UTF-8 (a stray continuation byte, a truncated sequence, an overlong form, an encoded
// surrogate or a code point above U+10FFFF).
std::u16string utf8_to_wide(std::string_view text);

// The ASCII text helpers of every layer; bytes outside A-Z are never changed, whatever the locale.
// The text with the ASCII letters A-Z lower-cased.
std::string ascii_lower(std::string_view text);
// The text without ASCII white space (space, \t, \n, \v, \f, \r) at either end.
std::string_view trim_ascii_space(std::string_view text);

} // namespace core
