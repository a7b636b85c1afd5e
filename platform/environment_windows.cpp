#include "platform/environment.h"

#include <vector>

#include "platform/wide_text_windows.h"

namespace platform {

std::optional<std::string> get_env(const std::string& name)
{
    const std::wstring wname = widen(name);
    SetLastError(ERROR_SUCCESS);
    DWORD needed = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (needed == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();  // set but empty
    }
    std::vector<wchar_t> buffer(needed);
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buffer.data(), needed);
    if (n >= needed || (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)) return std::nullopt;
    return narrow(std::wstring(buffer.data(), n));
}

bool set_env(const std::string& name, const std::string& value)
{
    // The process environment block: what get_env reads and what started children inherit.
    const std::wstring wname = widen(name);
    const std::wstring wvalue = widen(value);
    return SetEnvironmentVariableW(wname.c_str(), wvalue.c_str()) != 0;
}

bool unset_env(const std::string& name)
{
    const std::wstring wname = widen(name);
    return SetEnvironmentVariableW(wname.c_str(), nullptr) != 0;
}

} // namespace platform
