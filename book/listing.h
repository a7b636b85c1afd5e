// The market as reduction leaves it: listings, each with its status and its open offers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace book {

// A buyer's open offer on a listing: the "ag_buy" post that carries it.
struct Offer {
    std::string id;           // txid of the "ag_buy" post, lower case
    std::string handle;       // post "handle", or "actor" when empty
    std::string pubkey;       // the signer's key, compressed lower-case hex
    std::string qty;          // lots wanted, decimal text
    uint64_t pay_sats = 0;    // satoshis the buyer pays
    std::string buyer_ord;    // where bought lots go
    std::string offer;        // the half-signed offer transaction, hex
    int64_t created = 0;      // the post's time
};

// One listing, keyed by the txid of its "ag_list" post.
struct Listing {
    std::string id;
    std::string origin;       // token id, or the picture's outpoint
    std::string kind;         // "bsv21" or "picture"
    std::string utxo;         // outpoint holding the lot, lower case; replaced by fills
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
    std::string name;
    std::string sym;
    std::string icon;
    int dec = 0;              // the token's decimals (0 for a picture, or while unknown)
    std::string post_name;    // the name and ticker the seller's post gave the asset ("" when
    std::string post_sym;     // none); name and sym are the chain's where the chain names it
    std::string status;       // "live", "expired", "cancelled", "force_cancelled" or "sold"
    bool fee_ok = false;
    std::vector<Offer> offers;
};

} // namespace book
