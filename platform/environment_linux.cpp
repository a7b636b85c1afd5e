#include "platform/environment.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> get_env(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

bool set_env(const std::string& name, const std::string& value)
{
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool unset_env(const std::string& name)
{
    return ::unsetenv(name.c_str()) == 0;
}

} // namespace platform
