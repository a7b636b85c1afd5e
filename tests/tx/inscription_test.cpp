#include "tx/inscription.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/bsv20.h"

namespace {

using txtest::hex;
using txtest::unhex;

nlohmann::json scripts()
{
    return testsupport::read_json_vector("inscriptions.json")["scripts"];
}

std::string text_of(const core::Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

TEST(InscriptionScript, ReproducesTheTransferAndPictureVectors)
{
    auto all = scripts();
    const auto& transfer = all[1];
    core::Hash160 owner = txtest::hash160_of_hex(transfer["owner_hash160_hex"].get<std::string>());
    EXPECT_EQ(hex(tx::inscription_script(owner, transfer["content_type"].get<std::string>(),
                                         core::as_bytes(transfer["body_text"].get<std::string>()))),
              transfer["script_hex"].get<std::string>());
    const auto& picture = all[2];
    EXPECT_EQ(hex(tx::inscription_script(owner, picture["content_type"].get<std::string>(),
                                         unhex(picture["body_hex"].get<std::string>()))),
              picture["script_hex"].get<std::string>());
}

TEST(ParseEnvelope, ReadsEveryVectorEnvelope)
{
    auto all = scripts();
    for (size_t n : {1u, 2u}) {
        core::Bytes script = unhex(all[n]["script_hex"].get<std::string>());
        auto envelope = tx::parse_envelope(script, all[n]["envelope_starts_at"].get<size_t>());
        ASSERT_TRUE(envelope.has_value()) << n;
        EXPECT_EQ(envelope->content_type, all[n]["content_type"].get<std::string>());
        EXPECT_EQ(envelope->end, script.size());
        EXPECT_TRUE(envelope->metadata.empty());
    }
    EXPECT_EQ(hex(tx::parse_envelope(unhex(all[2]["script_hex"].get<std::string>()), 25)->body),
              all[2]["body_hex"].get<std::string>());

    core::Bytes text = unhex(all[3]["script_hex"].get<std::string>());
    auto envelope = tx::parse_envelope(text, 0);
    ASSERT_TRUE(envelope.has_value());
    EXPECT_EQ(text_of(envelope->body), "Hello, world!");
    EXPECT_EQ(envelope->end, text.size() - 25);

    core::Bytes real = unhex(all[4]["script_hex"].get<std::string>());
    envelope = tx::parse_envelope(real, 0);
    ASSERT_TRUE(envelope.has_value());
    EXPECT_EQ(envelope->end, all[4]["envelope_ends_at"].get<size_t>());
    EXPECT_EQ(envelope->content_type, tx::BSV20_CONTENT_TYPE);
    EXPECT_EQ(text_of(envelope->body), all[4]["body_text"].get<std::string>());
}

// An envelope assembled from hex pieces: 00 63, then the given elements, then whatever ends it.
std::optional<tx::Envelope> envelope_of(const std::string& elements)
{
    return tx::parse_envelope(unhex("0063" + elements), 0);
}

TEST(ParseEnvelope, ReadsPushesByValueAndFieldsInAnyOrder)
{
    // "ord" written with OP_PUSHDATA1, the body before the content type, metadata and an
    // ignored tag, and a later content type replacing an earlier one.
    auto envelope = envelope_of("4c036f7264" "00" "026869" "51" "01" "41" "55" "026d64" "52" "0178" "51" "0142" "68");
    ASSERT_TRUE(envelope.has_value());
    EXPECT_EQ(envelope->content_type, "B");
    EXPECT_EQ(text_of(envelope->body), "hi");
    EXPECT_EQ(text_of(envelope->metadata), "md");
    EXPECT_EQ(envelope->end, 25u);  // the whole script
    // An empty body (OP_0 OP_0) is allowed; the content type is what matters.
    EXPECT_TRUE(envelope_of("036f7264" "51" "0141" "00" "00" "68").has_value());
}

TEST(ParseEnvelope, MalformedEnvelopesFail)
{
    const std::pair<const char*, std::string> elements[] = {
        {"body only, no content type", "036f7264" "00" "026869" "68"},
        {"an empty content type", "036f7264" "51" "00" "00" "026869" "68"},
        {"not ord", "036f7265" "51" "0141" "68"},
        {"ord and a zero byte", "046f726400" "51" "0141" "68"},
        {"ord as an opcode", "51" "51" "0141" "68"},
        {"an unexpected opcode inside", "036f7264" "51" "0141" "76" "68"},
        {"a tag with no push after it", "036f7264" "51" "0141" "00" "ac" "68"},
        {"no OP_ENDIF", "036f7264" "51" "0141" "00" "026869"},
        {"a push past the end", "036f7264" "51" "0141" "00" "4effffffff00" "68"},
        {"a cut length", "036f7264" "51" "0141" "00" "4dff"},
        {"a cut OP_PUSHDATA1", "036f7264" "51" "4c"},
    };
    for (const auto& [name, hex_text] : elements) EXPECT_FALSE(envelope_of(hex_text).has_value()) << name;
    EXPECT_FALSE(tx::parse_envelope(unhex("0062036f7264510141" "68"), 0).has_value());  // 00 62, not 00 63

    // Only the right start reads, and no cut of a real envelope does.
    core::Bytes script = unhex(scripts()[2]["script_hex"].get<std::string>());
    for (size_t start : {size_t(0), size_t(24), size_t(26), script.size(), script.size() + 10}) {
        EXPECT_FALSE(tx::parse_envelope(script, start).has_value()) << start;
    }
    for (size_t size = 25; size < script.size(); ++size) {
        EXPECT_FALSE(tx::parse_envelope(core::ByteView(script).first(size), 25).has_value()) << size;
    }
}

} // namespace
