#include "platform/open_url.h"

#include "platform/process.h"

namespace platform {

bool open_url(const std::string& url)
{
    if (!is_openable_url(url)) return false;
    return start_detached("xdg-open", {url}, {});
}

} // namespace platform
