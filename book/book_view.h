// The book view: the listings the main window, the dialogs and the Mine window receive.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "book/listing.h"
#include "book/load.h"

namespace book {

// Marks live listings past their "exp" as "expired" (at time now, Unix seconds), drops sold
// listings and listings whose quantity is not a non-zero number, and orders the rest newest
// first. Safe from any thread.
std::vector<Listing> book_view_of(std::map<tx::Txid, Listing> listings, int64_t now);

// What a load of the book view hands back.
struct BookView {
    std::vector<Listing> listings;  // the view: book_view_of the reduced listings, with chain facts
    // Every listing as reduction left it, before the view marked expiry and dropped sold and
    // empty listings (the states reserve reconciliation reads).
    std::map<tx::Txid, Listing> reduced;
};

// Loads the book, reduces it and builds the view (expired at the services' market moment)
// with what the chain says each lot is (book/chain_facts.h). Fails with the loader's error.
// Blocks on the network.
BookResult<BookView> load_book_view(const LoadOptions& options);
// The same, and status says whether the book is whole (also on failure). A view of an
// incomplete book holds what was read: show it as such, never as the market.
BookResult<BookView> load_book_view(LoadStatus& status, const LoadOptions& options);

} // namespace book
