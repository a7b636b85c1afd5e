// The status line: how a text is shown (its dots stripped, animated when in progress, red for an
// error). Pure.
#pragma once

#include <string>
#include <string_view>

namespace ui {

enum class StatusKind { Normal, Progress, Error };

struct StatusDisplay {
    std::string base;  // the text without its trailing dots
    StatusKind kind = StatusKind::Normal;
};

// Strips every trailing "."; a text that ended in "..." is in progress; otherwise it is an error
// when it says why something failed (error).
StatusDisplay status_display(std::string_view text, bool error);

// The text shown at animation tick n of an in-progress status: base + "", ".", "..", "..." by
// n modulo 4.
std::string status_frame(const std::string& base, unsigned tick);

} // namespace ui
