// Display names of the assets on the book: a token's name, symbol and icon, from the ordinals
// service, cached for the life of the process.
#pragma once

#include <string>
#include <string_view>

#include "book/services.h"

namespace book {

// Fills whichever of name, sym and icon is empty. A picture ("kind" "picture") gets its
// origin as icon and nothing is fetched; a token is looked up by its origin (token id), once
// per process when the lookup succeeds. Only what the service answers is cached, never the
// caller's own values. A failed lookup changes nothing. Safe from any thread.
void token_details(std::string_view origin, std::string_view kind, std::string& name, std::string& sym,
                   std::string& icon, const BookServices& services = default_services());

// Forgets every cached token (tests).
void clear_token_cache();

} // namespace book
