// One post of the book as the loader hands it on: where it came from, when it was signed, and
// the members reduction and history read, taken out of the JSON once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "book/post.h"
#include "core/json_get.h"
#include "tx/outpoint.h"
#include "net/chain_tx.h"
#include "tx/raw_tx.h"

namespace book {

// An output of the post's transaction that pays an address.
struct PaidOutput {
    std::string address;  // first of "addresses", else "address"
    uint64_t sats = 0;    // "valueSat" (a float rounded), else "value" in BSV, rounded
};

// What the book reads of the outputs of a post's transaction.
struct TxOutputs {
    size_t count = 0;              // entries under "vout"
    std::vector<PaidOutput> paid;  // the outputs that name an address, in order
};

// Reads the outputs of a transaction: a pay-to-address script pays its address. Safe from any
// thread.
TxOutputs read_tx_outputs(const tx::RawTx& tx);
// The same from a transaction given as chain JSON ("addresses" or "address" of each output).
TxOutputs read_tx_outputs(const Json& tx);

using net::ChainPosition;

// The members of a post as the book reads them (see the getters in post.h).
struct PostFields {
    std::string type;
    std::string listing;                 // "listing", lower case
    std::string signer;                  // post_pubkey: the signing key, compressed
    std::string signature;               // canonical_signature (replay.h)
    std::string actor;                   // "actor", normalised as a handle, lower case
    std::string handle;                  // "handle", or "actor" when empty
    std::string paymail;
    std::string origin;
    std::string kind;
    bool has_utxo = false;               // "utxo" is text that is not empty
    std::optional<tx::Outpoint> utxo;    // "utxo" when it is an outpoint
    std::string qty;
    std::string sold;
    std::string note;
    std::string pay_addr;
    std::string ord_addr;
    std::string name;
    std::string sym;
    std::string icon;
    std::string buyer;
    std::string buyer_ord;
    std::string offer;                   // the offer transaction (ag_buy) or an offer id
    bool has_price = false;              // "price_sats" is present, whatever its type
    std::optional<uint64_t> price_sats;  // "price_sats" when it is a number
    uint64_t pay_sats = 0;
    int64_t exp = 0;
};

// Reads the fields of a post. Safe from any thread.
PostFields read_post_fields(const Json& post);

struct PostRecord {
    tx::Txid txid;
    Json post;          // the post object found in the transaction
    TxOutputs outputs;  // the transaction's outputs
    int64_t time = 0;   // the post's "ts", always above 0
    size_t seen = 0;    // position of the txid in the order the loader gathered the ids
    PostFields fields;  // read_post_fields(post)
    ChainPosition position;  // where the services said its transaction stands
};

// A record with its fields read.
PostRecord make_post_record(tx::Txid txid, Json post, TxOutputs outputs, int64_t time, size_t seen);

// Book order: time ascending, then txid ascending (byte order).
inline bool book_order_less(const PostRecord& a, const PostRecord& b)
{
    if (a.time != b.time) return a.time < b.time;
    return a.txid < b.txid;
}

} // namespace book
