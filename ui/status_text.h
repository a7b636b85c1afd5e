// The status line: how a text is shown (its dots stripped, animated when in progress) and in
// which colour. Pure.
#pragma once

#include <string>
#include <string_view>

#include "ui/rgb.h"

namespace ui {

enum class StatusKind { Normal, Progress, Error };

struct StatusDisplay {
    std::string base;  // the text without its trailing dots
    StatusKind kind = StatusKind::Normal;
};

inline constexpr Rgb STATUS_PROGRESS_COLOUR = rgb(0x38CC62);
inline constexpr Rgb STATUS_ERROR_COLOUR = rgb(0xDC3838);

// Strips every trailing "."; a text that ended in "..." is in progress; otherwise it is an error
// when, after leading blanks and tabs, it begins with "error" in any letter case.
StatusDisplay status_display(std::string_view text);

// True when, after leading blanks and tabs, the text begins with "error" in any letter case.
[[nodiscard]] bool is_error_text(std::string_view text);

// The text shown at animation tick n of an in-progress status: base + "", ".", "..", "..." by
// n modulo 4.
std::string status_frame(const std::string& base, unsigned tick);

// The colour of a status: green in progress, red for an error, else the theme's text colour.
Rgb status_colour(StatusKind kind, Rgb theme_text);

} // namespace ui
