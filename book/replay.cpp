#include "book/replay.h"

#include <array>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/hex.h"
#include "core/base64.h"

namespace book {
namespace {

// The order of the secp256k1 group, big-endian.
constexpr std::array<uint8_t, 32> CURVE_ORDER = {
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xfe,
    0xba, 0xae, 0xdc, 0xe6, 0xaf, 0x48, 0xa0, 0x3b, 0xbf, 0xd2, 0x5e, 0x8c, 0xd0, 0x36, 0x41, 0x41};
// Half the order, rounded down.
constexpr std::array<uint8_t, 32> HALF_ORDER = {
    0x7f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0x5d, 0x57, 0x6e, 0x73, 0x57, 0xa4, 0x50, 0x1d, 0xdf, 0xe9, 0x2f, 0x46, 0x68, 0x1b, 0x20, 0xa0};

// Replaces s (32 bytes big-endian at s) by n - s when s is above n / 2.
void lower_s(uint8_t* s)
{
    bool above = false;
    for (size_t i = 0; i < 32; ++i) {
        if (s[i] != HALF_ORDER[i]) {
            above = s[i] > HALF_ORDER[i];
            break;
        }
    }
    if (!above) return;
    int borrow = 0;
    for (size_t i = 32; i-- > 0;) {
        int diff = static_cast<int>(CURVE_ORDER[i]) - static_cast<int>(s[i]) - borrow;
        borrow = diff < 0 ? 1 : 0;
        s[i] = static_cast<uint8_t>(diff + (borrow ? 256 : 0));
    }
}

} // namespace

std::string canonical_signature(const Json& post)
{
    std::string sig_text = post_string_or(post, "sig", "signature");
    std::string sig = "text:" + sig_text;
    if (std::optional<core::Bytes> raw = core::base64_decode(sig_text)) {
        if (raw->size() == 64 || raw->size() == 65) {
            core::Bytes rs(raw->end() - 64, raw->end());
            lower_s(rs.data() + 32);
            sig = core::hex_encode(rs);
        }
    }
    return sig;
}

std::string replay_key(const Json& post)
{
    return post_pubkey(post) + "|" + canonical_signature(post);
}

namespace {

std::string envelope_of(const PostRecord& record)
{
    return record.fields.signer + "|" + record.fields.signature;
}

// The order of a post among the copies of its envelope: smaller is earlier on chain.
std::tuple<int, int64_t, size_t> chain_rank(const PostRecord& record)
{
    using State = ChainPosition::State;
    switch (record.position.state) {
    case State::Confirmed: return {0, record.position.height, record.seen};
    case State::Unconfirmed: return {1, 0, record.seen};
    case State::Unknown: return {2, 0, record.seen};
    }
    return {2, 0, record.seen};
}

// The number of posts carrying each envelope.
std::unordered_map<std::string, size_t> envelope_counts(const std::vector<PostRecord>& posts)
{
    std::unordered_map<std::string, size_t> counts;
    for (const PostRecord& record : posts) ++counts[envelope_of(record)];
    return counts;
}

// Keeps the posts for which keep(index) holds, in order; returns the number removed.
template <typename Keep>
size_t keep_if(std::vector<PostRecord>& posts, Keep keep)
{
    size_t kept = 0;
    for (size_t i = 0; i < posts.size(); ++i) {
        if (!keep(i)) continue;
        if (kept != i) posts[kept] = std::move(posts[i]);
        ++kept;
    }
    size_t removed = posts.size() - kept;
    posts.resize(kept);
    return removed;
}

} // namespace

std::vector<tx::Txid> replays_to_place(const std::vector<PostRecord>& posts)
{
    std::unordered_map<std::string, size_t> counts = envelope_counts(posts);
    std::vector<tx::Txid> txids;
    for (const PostRecord& record : posts) {
        if (record.position.state == ChainPosition::State::Unknown && counts[envelope_of(record)] > 1) {
            txids.push_back(record.txid);
        }
    }
    return txids;
}

size_t withhold_unplaced_replays(std::vector<PostRecord>& posts)
{
    std::unordered_map<std::string, size_t> counts = envelope_counts(posts);
    std::unordered_set<std::string> unplaced;
    for (const PostRecord& record : posts) {
        std::string envelope = envelope_of(record);
        if (record.position.state == ChainPosition::State::Unknown && counts[envelope] > 1) unplaced.insert(envelope);
    }
    if (unplaced.empty()) return 0;
    std::vector<std::string> envelopes;
    envelopes.reserve(posts.size());
    for (const PostRecord& record : posts) envelopes.push_back(envelope_of(record));
    return keep_if(posts, [&](size_t i) { return unplaced.count(envelopes[i]) == 0; });
}

size_t drop_replays(std::vector<PostRecord>& posts)
{
    std::unordered_map<std::string, size_t> first;  // envelope -> index of the first on chain
    std::vector<std::string> envelopes;
    envelopes.reserve(posts.size());
    for (size_t i = 0; i < posts.size(); ++i) {
        envelopes.push_back(envelope_of(posts[i]));
        auto [it, inserted] = first.try_emplace(envelopes.back(), i);
        if (!inserted && chain_rank(posts[i]) < chain_rank(posts[it->second])) it->second = i;
    }
    return keep_if(posts, [&](size_t i) { return first[envelopes[i]] == i; });
}

} // namespace book
