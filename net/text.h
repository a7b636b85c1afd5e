// Small text checks shared by the service clients.
#pragma once

#include <string>
#include <string_view>

namespace net {

// The text with ASCII letters lower-cased.
std::string lower_ascii(std::string_view text);

// True for text made only of hexadecimal digits, in pairs (empty included).
bool is_hex_text(std::string_view text);

} // namespace net
