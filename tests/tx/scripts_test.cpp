#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"
#include "tx/spendable_lock.h"

namespace scripts_test {

using txtest::hex;
using txtest::unhex;

const std::string TOKEN_ID = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127_0";

// Only the four required members when nothing else is known (as the vector's body); optional
// members sorted and as strings; text that is not UTF-8 replaced, not thrown on.
TEST(Bsv20TransferJson, WritesTheVectorsBodyAndOptionalMembers)
{
    const auto vectors = txtest::inscription_scripts();
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "5"), vectors[1]["body_text"].get<std::string>());
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "12", "Gold \"Bar\"", "icon_0", "GLD", "8"),
              R"({"amt":"12","dec":"8","icon":"icon_0","id":")" + TOKEN_ID +
                  R"(","name":"Gold \"Bar\"","op":"transfer","p":"bsv-20","sym":"GLD"})");
    EXPECT_NE(tx::bsv20_transfer_json(TOKEN_ID, "1", std::string("\xff\xfe")).find("\"name\""), std::string::npos);

    auto real = tx::parse_bsv20(vectors[4]["body_text"].get<std::string>());
    ASSERT_TRUE(real.has_value());
    EXPECT_TRUE(real->is_token());
    EXPECT_EQ(real->id + " " + real->op + " " + real->amt, TOKEN_ID + " transfer 2870813");
}

// Amounts as text or exact integers (a double would round 2^53 + 1); anything else is no amount.
// A token needs an id of text.
TEST(ParseBsv20, AmountsIdsAndRefusedBodies)
{
    const std::pair<const char*, const char*> amounts[] = {
        {R"("42")", "42"}, {"42", "42"}, {"0", "0"}, {"9007199254740993", "9007199254740993"},
        {"18446744073709551615", "18446744073709551615"}, {"18446744073709551616", ""}, {"-1", ""}, {"1.5", ""},
        {"1e3", ""}, {"true", ""}, {"null", ""}, {R"(["1"])", ""},
    };
    for (const auto& [json, amt] : amounts) {
        auto body = tx::parse_bsv20(R"({"p":"bsv-20","id":"x_0","amt":)" + std::string(json) + "}");
        ASSERT_TRUE(body.has_value()) << json;
        EXPECT_EQ(body->amt, amt) << json;
    }
    auto deploy = tx::parse_bsv20(R"({"p":"bsv-20","op":"deploy+mint","sym":"GLD","amt":"1000","dec":"2"})");
    ASSERT_TRUE(deploy.has_value());
    EXPECT_FALSE(deploy->is_token());
    EXPECT_EQ(deploy->sym + deploy->dec, "GLD2");
    EXPECT_FALSE(tx::parse_bsv20(R"({"p":"bsv-20","id":5,"amt":"1"})")->is_token());
    for (const char* text : {R"({"p":"bsv-21","id":"x_0","amt":"1"})", R"({"p":"bsv-20 ","id":"x_0"})", R"({"p":"BSV-20","id":"x_0"})",
                             R"({"id":"x_0"})", R"({"p":20})", R"(["p","bsv-20"])", R"({"p":"bsv-20")", "", "\x89PNG\r\n"}) {
        EXPECT_FALSE(tx::parse_bsv20(text).has_value()) << text;
    }
}

// Every vector envelope reads back its content type and body and ends where the lock after it
// (if any) begins; the writer reproduces the transfer and the picture byte for byte.
TEST(Inscriptions, EveryVectorEnvelopeWritesAndReads)
{
    const auto all = txtest::inscription_scripts();
    for (size_t n : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(all[n]["name"].get<std::string>());
        const core::Bytes script = unhex(all[n]["script_hex"].get<std::string>());
        const std::string content_type = all[n]["content_type"].get<std::string>();
        const std::string body_hex = all[n].value("body_hex", hex(core::as_bytes(all[n].value("body_text", ""))));
        auto envelope = tx::parse_envelope(script, all[n].value("envelope_starts_at", size_t{0}));
        ASSERT_TRUE(envelope.has_value());
        EXPECT_EQ(envelope->content_type, content_type);
        EXPECT_EQ(hex(envelope->body), body_hex);
        EXPECT_TRUE(envelope->metadata.empty());
        EXPECT_EQ(envelope->end, n == 3 ? script.size() - 25 : all[n].value("envelope_ends_at", script.size()));
        if (n <= 2) {
            const core::Hash160 owner = txtest::hash160_of_hex(all[n]["owner_hash160_hex"].get<std::string>());
            EXPECT_EQ(hex(tx::inscription_script(owner, content_type, unhex(body_hex))), all[n]["script_hex"].get<std::string>());
        }
    }
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
    EXPECT_EQ(envelope->body, (core::Bytes{'h', 'i'}));
    EXPECT_EQ(envelope->metadata, (core::Bytes{'m', 'd'}));
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
    core::Bytes script = unhex(txtest::inscription_scripts()[2]["script_hex"].get<std::string>());
    for (size_t start : {size_t(0), size_t(24), size_t(26), script.size(), script.size() + 10}) {
        EXPECT_FALSE(tx::parse_envelope(script, start).has_value()) << start;
    }
    for (size_t size = 25; size < script.size(); ++size) {
        EXPECT_FALSE(tx::parse_envelope(core::ByteView(script).first(size), 25).has_value()) << size;
    }
}

// The vectors' plain lock (what p2pkh_script writes), lock then envelope, and envelope then lock.
TEST(FindSpendableLock, RecognisesTheThreeFormsOfTheVectors)
{
    auto scripts = txtest::inscription_scripts();
    const tx::LockForm expected[] = {tx::LockForm::plain, tx::LockForm::lock_then_envelope,
                                     tx::LockForm::lock_then_envelope, tx::LockForm::envelope_then_lock};
    for (size_t n = 0; n < 4; ++n) {
        const core::Hash160 owner = txtest::hash160_of_hex(scripts[n]["owner_hash160_hex"].get<std::string>());
        auto lock = tx::find_spendable_lock(unhex(scripts[n]["script_hex"].get<std::string>()));
        ASSERT_TRUE(lock.has_value()) << scripts[n]["name"];
        EXPECT_EQ(lock->form, expected[n]) << scripts[n]["name"];
        EXPECT_EQ(lock->owner, owner);
    }
    const core::Hash160 plain_owner = txtest::hash160_of_hex(scripts[0]["owner_hash160_hex"].get<std::string>());
    EXPECT_EQ(hex(tx::p2pkh_script(plain_owner)), scripts[0]["script_hex"].get<std::string>());  // what p2pkh_script writes
}

TEST(FindSpendableLock, RefusesNearMisses)
{
    core::Bytes p2pkh = tx::p2pkh_script(txtest::hash160_of_hex("ba40825ee85dde52ccc3736933361de4aaad0824"));
    ASSERT_TRUE(tx::p2pkh_hash(p2pkh) && tx::p2pkh_prefix_hash(p2pkh));
    for (size_t at : {0u, 1u, 2u, 23u, 24u}) {
        core::Bytes changed = p2pkh;
        changed[at] ^= 0x01;
        EXPECT_FALSE(tx::p2pkh_hash(changed) || tx::p2pkh_prefix_hash(changed) || tx::find_spendable_lock(changed)) << at;
    }
    const core::ByteView cut = core::ByteView(p2pkh).first(24);
    EXPECT_FALSE(tx::p2pkh_hash(cut) || tx::p2pkh_prefix_hash(cut) || tx::find_spendable_lock(cut));
    EXPECT_FALSE(tx::find_spendable_lock({}).has_value());
    auto scripts = txtest::inscription_scripts();
    EXPECT_FALSE(tx::find_spendable_lock(unhex(scripts[4]["script_hex"].get<std::string>())).has_value());  // two keys

    // P2PKH followed by something that is not an envelope: a P2PKH prefix, but no lock.
    core::Bytes with_return = p2pkh;
    with_return.insert(with_return.end(), {0x6A, 0x01, 0x00});
    EXPECT_FALSE(tx::p2pkh_hash(with_return).has_value());
    EXPECT_TRUE(tx::p2pkh_prefix_hash(with_return).has_value());
    EXPECT_FALSE(tx::find_spendable_lock(with_return).has_value());

    // An envelope followed by less than a whole P2PKH lock; an envelope that does not parse after one.
    core::Bytes envelope_first = unhex(scripts[3]["script_hex"].get<std::string>());
    EXPECT_FALSE(tx::find_spendable_lock(core::ByteView(envelope_first).first(envelope_first.size() - 1)).has_value());
    core::Bytes transfer = unhex(scripts[1]["script_hex"].get<std::string>());
    transfer.pop_back();
    EXPECT_FALSE(tx::find_spendable_lock(transfer).has_value());
}

} // namespace scripts_test
