#include "net/text.h"

#include <algorithm>
#include <cctype>

namespace net {

bool is_hex_text(std::string_view text)
{
    return text.size() % 2 == 0 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

} // namespace net
