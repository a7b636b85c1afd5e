// Reduction, the book view and the history over any set of posts: a JSON array whose i-th element
// is the post of the transaction whose txid is i in hex (so "listing" can name an earlier
// element), signed at its own "ts", whatever that is (2^63 - 1 and negatives included). The
// order the posts arrive in must not matter, and no listing may come out in a state the rules
// cannot make.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "book/book_view.h"
#include "book/history.h"
#include "book/post.h"
#include "book/reduce.h"
#include "core/json_get.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr size_t MAX_POSTS = 64;
const std::string HOUSE = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";
const std::string ORACLE = "1cMh228HTCiwS8ZsaakH8A8wze1JR5ZsP";

std::string txid_of(size_t i)
{
    char text[65];
    std::snprintf(text, sizeof text, "%064zx", i);
    return text;
}

// The element's own "vout" when it has one (chain JSON outputs), else a transaction that pays
// the fee and the oracle.
book::TxOutputs outputs_of(const book::Json& element)
{
    if (element.is_object() && element.contains("vout")) return book::read_tx_outputs(element);
    book::TxOutputs paid;
    paid.count = 3;
    paid.paid = {{HOUSE, book::LISTING_FEE_SATS}, {ORACLE, 1}};
    return paid;
}

// Everything reduction decides about a listing, as text.
std::string summary(const std::map<tx::Txid, book::Listing>& listings)
{
    std::string out;
    for (const auto& [id, l] : listings) {
        out += id.hex() + " " + std::string(book::listing_status_text(l.status)) + " " + l.qty + " " + book::listing_utxo_text(l) + " " +
               std::to_string(l.price_sats) + " " + std::to_string(l.created) + " " + std::to_string(l.exp) + (l.fee_ok ? " fee" : "");
        for (const auto& o : l.offers) out += " " + o.id.hex();
        out += "\n";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto doc = core::parse_json(fuzz::as_text(data, size));
    if (!doc || !doc->is_array()) return 0;
    std::vector<book::PostRecord> posts;
    for (size_t i = 0; i < doc->size() && i < MAX_POSTS; ++i) {
        const book::Json& element = (*doc)[i];
        if (!element.is_object()) continue;
        const int64_t time = book::post_number(element, "ts");
        posts.push_back(book::make_post_record(*tx::Txid::parse(txid_of(i)), element, outputs_of(element), time, i));
    }

    book::ReduceContext context;
    context.house_fee_address = HOUSE;
    context.oracle_address = ORACLE;
    if (!posts.empty()) context.architect_keys = {posts.front().fields.signer};
    context.reserved_listing_ids = {*tx::Txid::parse(txid_of(1))};

    std::map<tx::Txid, book::Listing> reduced;
    book::reduce_book(posts, context, reduced);
    for (const auto& [id, l] : reduced) {
        FUZZ_CHECK(id == l.id && !l.origin.empty());
        FUZZ_CHECK(l.status == book::ListingStatus::Live || l.status == book::ListingStatus::Cancelled ||
                   l.status == book::ListingStatus::ForceCancelled || l.status == book::ListingStatus::Sold);
        if (l.status == book::ListingStatus::Sold) FUZZ_CHECK(l.qty == "0" && !l.utxo);
        // A listing without an expiry of its own lasts from its time on, never wrapping round.
        if (l.exp < 1) FUZZ_CHECK(l.exp >= l.created);
    }

    std::vector<book::PostRecord> reversed(posts.rbegin(), posts.rend());
    std::map<tx::Txid, book::Listing> again;
    book::reduce_book(reversed, context, again);
    FUZZ_CHECK(summary(again) == summary(reduced));

    for (int64_t now : {int64_t{0}, int64_t{1'700'000'000}, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}) {
        const std::vector<book::Listing> view = book::book_view_of(reduced, now);
        for (size_t i = 0; i < view.size(); ++i) {
            const book::Listing& l = view[i];
            FUZZ_CHECK(l.status != book::ListingStatus::Sold && book::parse_decimal_u64(l.qty).value_or(0) != 0);
            FUZZ_CHECK(!(l.status == book::ListingStatus::Live && l.exp >= 1 && now > l.exp));
            FUZZ_CHECK(i == 0 || view[i - 1].created >= l.created);
        }
    }

    std::sort(posts.begin(), posts.end(), book::book_order_less);
    const std::vector<book::HistoryRow> rows = book::history_rows(posts, reduced, "");
    for (size_t i = 1; i < rows.size(); ++i) FUZZ_CHECK(rows[i - 1].time >= rows[i].time);
    return 0;
}
