// One lot of the bound wallet as the List dialog offers it, and the label of its choice. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

struct ListLot {
    std::string origin;    // the lot's own id (its inscription origin)
    std::string txid;      // the output that holds it
    uint32_t vout = 0;
    std::string name;
    std::string token_id;  // empty for a picture
    std::string amount;    // units held, decimal text; empty for a picture

    bool picture() const { return token_id.empty() && amount.empty(); }
};

// The name, else the token id, else the lot's own id; two blanks; then the units held and
// " lots", or "picture".
std::string lot_choice_label(const ListLot& lot);

// The lot's outpoint as a listing's "utxo": the txid in lower case, "_", the output index.
std::string lot_outpoint(const ListLot& lot);

} // namespace ui
