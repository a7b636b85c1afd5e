#include "net/text.h"

#include <algorithm>
#include <cctype>

namespace net {

std::string lower_ascii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool is_hex_text(std::string_view text)
{
    return text.size() % 2 == 0 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

} // namespace net
