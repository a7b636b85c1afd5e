// A small signed market paid into a local simulator: traders with registered identities, token
// lots and picture inscriptions, and their listings (a few of them cancelled). For the pictures,
// the demo and the tests that drive the program against the simulator.
#pragma once

#include <cstddef>
#include <string>

namespace ui {

struct SeedResult {
    int listed = 0;       // listings paid into the book
    int cancelled = 0;    // of which cancelled again
    size_t traders = 0;
    std::string error;    // empty on success
};

// Seeds the simulator at base_url (its admin interface) with the given number of listings.
// Needs a QGuiApplication (the pictures are drawn). Blocks on the simulator.
SeedResult seed_market(const std::string& base_url, int listings = 36);

} // namespace ui
