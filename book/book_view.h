// The book view: the listings the main window, the dialogs and the Mine window receive.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "book/listing.h"

namespace book {

// Marks live listings past their "exp" as "expired" (at time now, Unix seconds), drops sold
// listings and listings whose quantity is not a non-zero number, and orders the rest newest
// first. Safe from any thread.
std::vector<Listing> book_view_of(std::map<std::string, Listing> listings, int64_t now);

// Fills each empty name, symbol and icon through the token lookup (network, cached).
void fill_token_details(std::vector<Listing>& listings);

// Loads the book, reduces it and builds the view with its token details. Clears both outputs
// first; on a failed load returns false with the loader's error text.
[[nodiscard]] bool load_book_view(std::vector<Listing>& out, std::string& error);

} // namespace book
