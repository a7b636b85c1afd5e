#include "trade/report_cipher.h"

#include <set>

#include <gtest/gtest.h>

#include "book/post_blob.h"
#include "core/base64.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/message.h"
#include "trade/report.h"

namespace {

const std::string ARCHITECT_PRIV = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string SENDER_PRIV = "0c28fca386c7a227600b2fe50b7cae11ec86d3bf1fbe471be89827e19d72aa1d";
const std::string OTHER_PRIV = std::string(63, '0') + "7";

core::Bytes bytes(const std::string& hex)
{
    return core::hex_decode(hex).value();
}

core::Bytes pub_of(const std::string& priv)
{
    return bytes(core::pubkey_from_privkey(priv).value());
}

std::string seal(const std::string& text)
{
    return trade::seal_report_text(text, pub_of(ARCHITECT_PRIV), bytes(SENDER_PRIV)).value();
}

// Any text up to the longest report opens as written and names its sender; every seal uses a
// fresh ephemeral key and IV.
TEST(ReportCipher, RoundTripNamesTheSenderWithFreshKeys)
{
    for (const std::string& text : {std::string("The listing 4f2a... sells a copy."), std::string(2000, 'x'),
                                    std::string("Pr\xc3\xa9" "fix \xe2\x80\x93 \xf0\x9f\x98\x80"), std::string()}) {
        auto opened = trade::open_report_text(seal(text), bytes(ARCHITECT_PRIV));
        ASSERT_TRUE(opened) << text;
        EXPECT_EQ(opened->text.str(), text);
        EXPECT_EQ(opened->sender_pubkey_hex, core::pubkey_from_privkey(SENDER_PRIV).value());
    }
    std::set<std::string> ephemerals, seals;
    for (int i = 0; i < 8; ++i) {
        std::string sealed = seal("same text");
        seals.insert(sealed);
        ephemerals.insert(core::hex_encode(core::ByteView(core::base64_decode(sealed).value()).subspan(1, 33)));
    }
    EXPECT_EQ(seals.size() + ephemerals.size(), 16u);
}

// A report sealed by an earlier build (architect's key ARCHITECT_PRIV, sender SENDER_PRIV): what
// the architect already holds must keep opening, byte for byte.
TEST(ReportCipher, OpensAReportSealedEarlier)
{
    const std::string sealed =
        "AQN6qUrI8xk+fQaul3AYr/yvoi/MBvbCPqWSVrn4GW15mwLQ3gqurvrQK4vcigGhuLEcaWvT1mosXxB4DZW330JkXKo30s/F/AqzvMMB"
        "aPcsSsUqKJ9cnly+mRAARA2XC+qMDeT5Us4T/Mq3LHP4UTeDmYtsgU0HbcIB3ou2/RBDa575hJioqBda6NzqUe7P6rs=";
    auto opened = trade::open_report_text(sealed, bytes(ARCHITECT_PRIV));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->text.str(), "The listing sells a copy of someone else's picture.");
    EXPECT_EQ(opened->sender_pubkey_hex, core::hex_encode(pub_of(SENDER_PRIV)));
    auto raw = core::base64_decode(seal(opened->text.str())).value();
    EXPECT_EQ(raw.size(), core::base64_decode(sealed)->size());
    EXPECT_EQ(core::hex_encode(core::ByteView(raw).subspan(34, 33)), opened->sender_pubkey_hex);
}

// Only the architect's key opens a report, and nothing opens once a byte changed, the sender's
// key was swapped for another (a forged "from"), or the sealed text is malformed.
TEST(ReportCipher, WhatWasChangedOrIsNotTheArchitectsDoesNotOpen)
{
    const std::string sealed = seal("tamper with me");
    const core::Bytes raw = core::base64_decode(sealed).value();
    const core::Bytes key = bytes(ARCHITECT_PRIV);
    EXPECT_FALSE(trade::open_report_text(sealed, bytes(SENDER_PRIV)));
    EXPECT_FALSE(trade::open_report_text(sealed, bytes(OTHER_PRIV)));
    for (size_t i = 0; i < raw.size(); ++i) {
        core::Bytes changed = raw;
        changed[i] ^= 0x01;
        EXPECT_FALSE(trade::open_report_text(core::base64_encode(changed), key)) << "byte " << i;
    }
    core::Bytes swapped = raw, version = raw, off_curve = raw;
    core::Bytes other = pub_of(OTHER_PRIV);
    std::copy(other.begin(), other.end(), swapped.begin() + 34);
    version[0] = 2;
    off_curve[1] = 0x05;  // not a compressed point prefix
    std::vector<core::Bytes> malformed = {swapped, version, off_curve};
    for (size_t cut : {size_t(1), size_t(16), raw.size() - 1}) malformed.emplace_back(raw.begin(), raw.end() - static_cast<long>(cut));
    for (const core::Bytes& b : malformed) EXPECT_FALSE(trade::open_report_text(core::base64_encode(b), key)) << b.size();
    EXPECT_FALSE(trade::open_report_text("", key));
    EXPECT_FALSE(trade::open_report_text("not base64 at all!", key));
}

// Keys that are no point or no private key seal nothing and open nothing.
TEST(ReportCipher, BadKeysAreRefusedBeforeSealing)
{
    core::Bytes x_past_field(33, 0xff);  // x above the field prime: no such point
    x_past_field[0] = 0x02;
    const std::pair<core::Bytes, core::Bytes> keys[] = {  // the architect's public key, the sender's private key
        {x_past_field, bytes(SENDER_PRIV)}, {{}, bytes(SENDER_PRIV)}, {pub_of(ARCHITECT_PRIV), core::Bytes(32, 0)},
        {pub_of(ARCHITECT_PRIV), core::Bytes(31, 1)}, {pub_of(ARCHITECT_PRIV), core::Bytes(32, 0xff)}};  // the last above the order
    for (const auto& [architect, sender] : keys) EXPECT_FALSE(trade::seal_report_text("x", architect, sender)) << architect.size();
    EXPECT_FALSE(trade::open_report_text(seal("x"), core::Bytes(32, 0)));
}

// The architect opens a report only when its sender's signature covers the very sealed text it
// carries: a signed envelope copied with another sealed text is refused.
TEST(ReportEnvelope, OpensOnlyTheSealedTextItsSenderSigned)
{
    const std::string identity = core::pubkey_from_privkey(OTHER_PRIV).value();
    auto lookup = [&](std::string_view handle) { return handle == "alice" ? identity : std::string(); };
    auto signed_envelope = [&](const std::string& sealed, bool binds) {
        core::Json e = trade::report_envelope("alice", sealed);
        e["actor"] = "alice";
        e["ts"] = 1'700'000'000;
        e["pubkey"] = identity;
        if (binds) {
            e["id"] = book::fresh_post_id();
            e["blob"] = book::post_blob(e);
        }
        e["sig"] = core::sign_message_plain(book::signing_string(e), OTHER_PRIV).value();
        return e;
    };
    const core::Json genuine = signed_envelope(seal("the listing copies a picture"), true);
    trade::ReportOpening opened = trade::open_report_envelope(genuine, bytes(ARCHITECT_PRIV), lookup);
    ASSERT_TRUE(opened.report) << opened.error;
    EXPECT_EQ(opened.report->text.str(), "the listing copies a picture");

    core::Json swapped = genuine;
    swapped["enc"] = seal("words alice never wrote");
    core::Json renamed = genuine;
    renamed["actor"] = "bob";  // bob has no key at the registry
    const std::vector<std::pair<core::Json, std::string>> refused = {
        {swapped, "the sealed text is not the one its sender signed"},
        {signed_envelope(seal("unbound"), false), "the envelope does not sign its sealed text"},
        {renamed, "the signature does not verify"},
    };
    for (const auto& [envelope, error] : refused) {
        trade::ReportOpening result = trade::open_report_envelope(envelope, bytes(ARCHITECT_PRIV), lookup);
        EXPECT_FALSE(result.report) << error;
        EXPECT_EQ(result.error, error);
    }
    EXPECT_EQ(trade::open_report_envelope(genuine, bytes(SENDER_PRIV), lookup).error, "the key does not open it");
}

} // namespace
