// The market as reduction leaves it: listings, each with its status and its open offers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tx/outpoint.h"
#include "tx/txid.h"

namespace book {

// What a listing sells. Posts and the seller's records name it "bsv21" or "picture"; a post's
// "kind" that is not "picture" lists tokens.
enum class ListingKind { Token, Picture };

// Where reduction and the view leave a listing: open ("live"), past its expiry ("expired", marked
// only by the view), withdrawn by its seller or its fee never seen ("cancelled"), closed by an
// architect ("force_cancelled"), or every lot sold ("sold").
enum class ListingStatus { Live, Expired, Cancelled, ForceCancelled, Sold };

// The kind a post's "kind" text names.
ListingKind listing_kind_of(std::string_view text);
// "bsv21" or "picture", as posts and records write it.
std::string_view listing_kind_text(ListingKind kind);
// "live", "expired", "cancelled", "force_cancelled" or "sold".
std::string_view listing_status_text(ListingStatus status);

// A buyer's open offer on a listing: the "ag_buy" post that carries it.
struct Offer {
    tx::Txid id;              // txid of the "ag_buy" post
    std::string handle;       // post "handle", or "actor" when empty
    std::string pubkey;       // the signer's key, compressed lower-case hex
    std::string qty;          // lots wanted, decimal text
    uint64_t pay_sats = 0;    // satoshis the buyer pays
    std::string buyer_ord;    // where bought lots go
    std::string offer;        // the half-signed offer transaction, hex
    int64_t created = 0;      // the post's time
};

// What a seller's post says the lot is called and looks like (its "name", "sym" and "icon"). Shown
// only as the seller's note, never as the lot's name or picture.
struct SellerClaims {
    std::string name;
    std::string sym;
    std::string icon;
};

// One listing, keyed by the txid of its "ag_list" post.
struct Listing {
    tx::Txid id;
    std::string origin;       // the post's token id, or picture outpoint (a buy checks it on chain)
    ListingKind kind = ListingKind::Token;
    std::optional<tx::Outpoint> utxo;  // the output holding the lot, empty once sold; replaced by fills
    std::string qty;          // lots on offer, decimal text; replaced by fills
    uint64_t price_sats = 0;  // total price of qty lots; replaced by fills
    std::string note;
    int64_t created = 0;
    int64_t exp = 0;
    std::string pay_addr;
    std::string ord_addr;
    std::string handle;
    std::string paymail;
    std::string pubkey;       // the owner's key, compressed lower-case hex
    // What the chain holds, through the ordinals index (book/chain_facts.h fills them; empty
    // where the index has not answered):
    std::string chain_origin;  // what the listing output holds: its inscription's origin (a
                               // picture) or its token id (a token)
    std::string name;          // a token's name, from its deploy inscription
    std::string sym;           // a token's ticker, from its deploy inscription
    std::string icon;          // what the lot is drawn from: a picture's own inscription
                               // (chain_origin, else the listing output itself); a token's icon
    std::optional<int> dec;    // a token's decimals
    SellerClaims claimed;      // the post's own words
    bool claims_differ = false;  // the post names another asset, name, ticker or picture than the chain
    ListingStatus status = ListingStatus::Live;
    bool fee_ok = false;
    std::vector<Offer> offers;
};

// The lot's outpoint as posts write it ("txid_vout"); "" once the listing is sold.
std::string listing_utxo_text(const Listing& listing);

} // namespace book
