// Opening a web page in the user's browser.
#pragma once

#include <string>

namespace platform {

// Hands the URL to the system's browser. True when the request was handed over.
bool open_url(const std::string& url);

} // namespace platform
