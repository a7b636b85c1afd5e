// The JSON value type by name, for headers that only pass values along (by reference, or in a
// declaration). Code that reads, builds or prints values includes core/json_get.h, which brings
// the whole JSON library; keeping it out of widely included headers keeps builds fast.
#pragma once

#include <nlohmann/json_fwd.hpp>

namespace core {

using Json = nlohmann::json;

} // namespace core
