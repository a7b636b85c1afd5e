// Reading and setting environment variables of this process.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of the variable (UTF-8), or nullopt when it is not set.
std::optional<std::string> get_env(const std::string& name);

// Sets the variable for this process and the children it starts later. False on failure.
bool set_env(const std::string& name, const std::string& value);

// Removes the variable from this process's environment. False on failure.
bool unset_env(const std::string& name);

} // namespace platform
