// The outcome of a JSON GET, for the code that makes or reads one (the JSON library in full).
#pragma once

#include <string>

#include "core/json_get.h"
#include "net/http.h"

namespace net {

// ok only for a 2xx answer whose body is JSON.
struct JsonReply {
    bool ok = false;
    long status = 0;
    Json json;          // the parsed body whenever it parsed (also for non-2xx answers)
    std::string error;  // a sentence for logs when !ok
};

} // namespace net
