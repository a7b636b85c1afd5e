// The update check: reading the published version from the product web page, and the texts
// the main window shows for the answer. Pure.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// This build's version code, in thousandths.
inline constexpr int BUILD_VERSION_CODE = 2;

// Pages are searched only in their last this many bytes.
inline constexpr size_t VERSION_PAGE_TAIL = 24000;
// The transfer is given up once the body would exceed this many bytes.
inline constexpr size_t VERSION_PAGE_MAX_BODY = 400000;
// Sent with the request.
inline constexpr const char* UPDATE_USER_AGENT = "TavrinAgoran/0.002";

// The version code the page publishes, or -1 when it names none. The last 24000 bytes are
// kept; "&nbsp;", "&#160;" and "&NBSP;" become blanks; markup from "<" through ">" is dropped
// (each ">" leaving a blank); "version" is looked for after "current build" (letter case
// ignored), else its last occurrence; blanks, tabs, ":" and "=" after it are skipped and the
// following run of digits and points is read: with a point as a decimal number of units
// (x 1000, rounded half away from zero), without one as thousandths.
int parse_version_page(std::string_view body);

// The code as text, "%.3f" of code / 1000 ("0.002"); a negative code shows this build's.
std::string version_text(int code);

// True when the published code is newer than this build.
[[nodiscard]] bool update_available(int code);

// The version label: "Update available, <page>" or "Version 0.002".
std::string version_label_text(int code, const std::string& product_page);

// The question asked when an update is available.
std::string update_question_text(int code, const std::string& product_page);

inline constexpr const char* UPDATE_QUESTION_TITLE = "Tavrin Agoran update";

} // namespace ui
