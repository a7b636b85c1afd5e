#include "platform/open_url.h"

#include "platform/wide_text_windows.h"

#include <shellapi.h>

namespace platform {

bool open_url(const std::string& url)
{
    if (!is_openable_url(url)) return false;
    const std::wstring wide = widen(url);
    HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecuteW reports success with a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace platform
