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
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buffer.data(), needed);
    if (n == 0 || n >= needed) return std::nullopt;
    return narrow(std::wstring(buffer.data(), n));
}

bool set_env(const std::string& name, const std::string& value)
{
    const std::wstring wname = widen(name);
    const std::wstring wvalue = widen(value);
    // Keep the C runtime's copy (getenv) in step with the process environment block.
    if (_wputenv_s(wname.c_str(), wvalue.c_str()) != 0) return false;
    return SetEnvironmentVariableW(wname.c_str(), wvalue.c_str()) != 0;
}

bool unset_env(const std::string& name)
{
    const std::wstring wname = widen(name);
    _wputenv_s(wname.c_str(), L"");
    return SetEnvironmentVariableW(wname.c_str(), nullptr) != 0;
}

} // namespace platform
