#include "platform/open_url.h"

#include <algorithm>
#include <cctype>

namespace platform {

bool is_openable_url(const std::string& url)
{
    auto starts_with_nocase = [&](std::string_view prefix) {
        if (url.size() <= prefix.size()) return false;
        return std::equal(prefix.begin(), prefix.end(), url.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    };
    if (!starts_with_nocase("http://") && !starts_with_nocase("https://")) return false;
    if (url.size() > 8192) return false;
    return std::none_of(url.begin(), url.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7f || c == '"';
    });
}

} // namespace platform
