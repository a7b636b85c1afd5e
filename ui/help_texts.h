// The fixed texts of the Help window and the Terms of Use. Pure.
#pragma once

#include <array>
#include <string>

namespace ui {

struct HelpCard {
    const char* title;
    const char* text;
};

inline constexpr const char* HELP_HEADING = "How Tavrin Agoran works";
inline constexpr const char* HELP_INTRO =
    "The book is on-chain. Each action is a signed post. A later one overlays an earlier one. "
    "Nothing is deleted. Select a row to see that listing.";

const std::array<HelpCard, 5>& help_cards();

// The Terms of Use: a title line and paragraphs separated by blank lines, CR LF line ends.
std::string terms_text();

} // namespace ui
