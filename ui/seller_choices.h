// The seller drop-down: "All sellers", then the distinct seller labels of the book. Pure.
#pragma once

#include <string>
#include <vector>

#include "book/listing.h"

namespace ui {

inline constexpr const char* ALL_SELLERS = "All sellers";

// The label a listing's seller is shown by: its handle, or its paymail when the handle is empty.
const std::string& seller_label(const book::Listing& listing);

// The distinct non-empty seller labels, sorted ascending by character code (byte order).
std::vector<std::string> seller_choices(const std::vector<book::Listing>& book);

// The entry to select after a rebuild: the previous choice when it is still among the choices,
// else "" (meaning "All sellers").
std::string reselected_seller(const std::vector<std::string>& choices, const std::string& previous);

} // namespace ui
