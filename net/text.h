// Small text checks shared by the service clients.
#pragma once

#include <string>
#include <string_view>

#include "core/text.h"

namespace net {

// True for text made only of hexadecimal digits, in pairs (empty included).
bool is_hex_text(std::string_view text);

} // namespace net
