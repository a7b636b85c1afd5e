// Opening a web page in the user's browser.
#pragma once

#include <string>

namespace platform {

// True for an absolute "http://" or "https://" URL without spaces or control characters:
// the only kind handed to the browser, so that no text can reach the opener as an option,
// a local file or a command.
bool is_openable_url(const std::string& url);

// Hands the URL to the system's browser. True when the request was handed over; false for a
// URL that is_openable_url refuses.
[[nodiscard]] bool open_url(const std::string& url);

} // namespace platform
