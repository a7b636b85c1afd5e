// Signed book posts and the transactions that carry them, made in memory for the book tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "book/post.h"
#include "book/post_blob.h"
#include "book/post_record.h"
#include "book/reduce.h"
#include "book/signing.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/message.h"
#include "tx/script.h"

namespace booktest {

using book::Json;

inline const std::string HOUSE_ADDRESS = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";
inline const std::string ORACLE_ADDRESS = "1cMh228HTCiwS8ZsaakH8A8wze1JR5ZsP";
inline const std::string OTHER_ADDRESS = "1111111111111111111114oLvT2";

// A trader: a private key, its compressed public key and a handle.
struct Trader {
    std::string priv;
    std::string pub;
    std::string handle;
};

// The n-th test trader (n from 1): private key n, handle as given.
inline Trader trader(unsigned n, std::string handle)
{
    char priv[65];
    std::snprintf(priv, sizeof priv, "%064x", n);
    return {priv, core::pubkey_from_privkey(priv).value_or(""), std::move(handle)};
}

// Completes the envelope the way the publisher does and signs the post with the trader's key;
// with_terms adds the "id" and "blob" that sign its members, as this program's posts carry.
inline Json sign(Json post, const Trader& who, int64_t ts, bool with_terms = false)
{
    post["protocol"] = "TV-Agoran";
    post["location"] = "agoran";
    if (!post.contains("handle")) post["handle"] = who.handle;
    post["actor"] = who.handle;
    post["paymail"] = who.handle + "@registry.test";
    post["ts"] = ts;
    if (with_terms) {
        post["id"] = book::fresh_post_id();
        post["blob"] = book::post_blob(post);
    }
    post["pubkey"] = who.pub;
    std::optional<std::string> sig = core::sign_message_plain(book::signing_string(post), who.priv);
    EXPECT_TRUE(sig.has_value());
    post["sig"] = sig.value_or("");
    return post;
}

inline Json p2pkh_output(const std::string& address, double bsv, int n)
{
    return Json{{"value", bsv}, {"n", n}, {"scriptPubKey", {{"hex", "76a914" + std::string(40, '0') + "88ac"},
                                                            {"addresses", Json::array({address})}}}};
}

inline Json data_output(const Json& post, int n)
{
    const core::Bytes script = tx::data_carrier_script(core::as_bytes(post.dump()));
    return Json{{"value", 0}, {"n", n}, {"scriptPubKey", {{"hex", core::hex_encode(script)}}}};
}

// The transaction a publisher makes: the house fee for a listing, 1 sat to the oracle, the
// post, then change.
inline Json post_tx(const Json& post, bool with_fee = true, bool with_change = true)
{
    Json vout = Json::array();
    bool listing = post.value("type", "") == "ag_list";
    if (listing && with_fee) vout.push_back(p2pkh_output(HOUSE_ADDRESS, 0.01, static_cast<int>(vout.size())));
    vout.push_back(p2pkh_output(ORACLE_ADDRESS, 0.00000001, static_cast<int>(vout.size())));
    vout.push_back(data_output(post, static_cast<int>(vout.size())));
    if (with_change) vout.push_back(p2pkh_output(OTHER_ADDRESS, 0.5, static_cast<int>(vout.size())));
    return Json{{"vout", vout}};
}

// A txid made of one repeated hex digit pattern: txid_of(0x1a) = "1a1a...1a".
inline std::string txid_of(unsigned byte)
{
    return core::hex_encode(core::Bytes(32, static_cast<uint8_t>(byte)));
}

inline book::PostRecord record(const std::string& txid, const Json& post, size_t seen = 0, Json tx = nullptr)
{
    Json chain = tx.is_null() ? post_tx(post) : std::move(tx);
    return book::make_post_record(*tx::Txid::parse(txid), post, book::read_tx_outputs(chain), book::post_number(post, "ts"), seen);
}

// What the reduction needs besides the posts: the addresses these posts pay, and the architects.
inline book::ReduceContext reduce_context(std::vector<std::string> architect_keys = {})
{
    book::ReduceContext c;
    c.house_fee_address = HOUSE_ADDRESS;
    c.oracle_address = ORACLE_ADDRESS;
    c.architect_keys = std::move(architect_keys);
    return c;
}

inline Json listing_post(const std::string& qty, uint64_t price, const std::string& utxo)
{
    return Json{{"type", "ag_list"}, {"origin", txid_of(0xee) + "_0"}, {"kind", "bsv21"}, {"utxo", utxo},
                {"qty", qty}, {"price_sats", price}, {"note", "lot"}, {"exp", 4'000'000'000LL},
                {"pay_addr", OTHER_ADDRESS}, {"ord_addr", OTHER_ADDRESS}};
}

} // namespace booktest
