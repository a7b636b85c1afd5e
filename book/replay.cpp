#include "book/replay.h"

#include <array>
#include <unordered_map>

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

size_t drop_replays(std::vector<PostRecord>& posts)
{
    std::unordered_map<std::string, size_t> first_seen;
    std::vector<std::string> keys;
    keys.reserve(posts.size());
    for (const PostRecord& record : posts) {
        keys.push_back(record.fields.signer + "|" + record.fields.signature);
        auto [it, inserted] = first_seen.try_emplace(keys.back(), record.seen);
        if (!inserted && record.seen < it->second) it->second = record.seen;
    }
    size_t kept = 0;
    for (size_t i = 0; i < posts.size(); ++i) {
        if (first_seen[keys[i]] != posts[i].seen) continue;
        if (kept != i) posts[kept] = std::move(posts[i]);
        ++kept;
    }
    size_t dropped = posts.size() - kept;
    posts.resize(kept);
    return dropped;
}

} // namespace book
