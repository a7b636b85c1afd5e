// What the seller's program checks in a buyer's offer before it signs anything: the offer is
// judged against the seller's own record of the listing, never against the buyer's post.
//
//  - The seller signs exactly one input: the one that spends the listing's current output.
//    Any other unsigned input (one of the seller's own coins, say) refuses the offer.
//  - The outputs pay the listing's payment address at least the price due for what the offer
//    takes: the whole price for the whole lot or a picture, else q × price ÷ L (128-bit). A
//    price due of 0 refuses the offer: lots never go for nothing.
//  - Token lot: the units of the listing output go to one buyer transfer and, when units
//    remain, to one transfer of exactly the rest to an address of this wallet; nothing else
//    in the offer is a token transfer.
//  - Picture: the listing output is a 1-satoshi output, and that satoshi, by first-in-first-out
//    assignment, lands in a 1-satoshi output that pays someone other than this wallet. Where the
//    offer places that output does not matter.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/listing.h"
#include "core/bytes.h"
#include "trade/error.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/transaction.h"

namespace trade {

// A token id or inscription origin as compared: "txid_vout" when it reads as an outpoint (either
// separator, any case), else the lower-case text. Pure.
std::string item_key(std::string_view text);

// The seller's record of a listing, as its own signed posts leave it (trade/listing_record.h).
struct ListingTerms {
    book::ListingKind kind = book::ListingKind::Token;
    std::string origin;     // token id, or the picture's origin; may be empty
    tx::Outpoint utxo;      // the output that holds the lot now
    std::string qty;        // lots on offer, decimal text
    uint64_t price_sats = 0;
    std::string pay_addr;   // where the price goes
    std::string lot_units;  // units the output holds, as recorded; "" when not known
};

// The output an input spends, as loaded from the chain.
struct Prevout {
    core::Amount value = 0;
    core::Bytes script;
};

// Whether a P2PKH hash belongs to this wallet.
using OwnsHash = std::function<bool(const core::Hash160&)>;

struct OfferCheck {
    bool passes = false;
    TradeError error;           // why it does not pass, when it does not
    size_t listing_input = 0;   // the input that spends the listing output
    uint64_t paid_sats = 0;     // what the outputs pay the listing's payment address
    uint64_t due_sats = 0;      // the price due for what the offer takes
    std::string qty;            // lots the offer takes, decimal text
    std::string units_left;     // token units returned to the seller; "0" when none
};

// Judges the offer. prevouts[i] is the output input i spends, when it was loaded; the listing
// input's own output and, for a picture, the outputs of every input before it are needed.
// is_mine tells the wallet's hashes. Fields other than passes and error are filled as far as
// the check got. Pure; safe from any thread.
OfferCheck check_offer(const tx::Transaction& offer, const std::vector<std::optional<Prevout>>& prevouts,
                       const ListingTerms& terms, const OwnsHash& is_mine);

// The inscription envelope an output script carries behind (or before) its P2PKH lock.
std::optional<tx::Envelope> output_envelope(core::ByteView script);

// The BSV-20 body of an output script: an envelope of content type "application/bsv-20" whose
// body parses. nullopt otherwise (check is_token() for a body that names its token).
std::optional<tx::Bsv20Body> output_bsv20(core::ByteView script);

} // namespace trade
