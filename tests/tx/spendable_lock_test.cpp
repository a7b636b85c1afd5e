#include "tx/spendable_lock.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/script.h"

namespace {

using txtest::unhex;

// The vectors' plain lock (what p2pkh_script writes), lock then envelope, and envelope then lock.
TEST(FindSpendableLock, RecognisesTheThreeFormsOfTheVectors)
{
    auto scripts = testsupport::read_json_vector("inscriptions.json")["scripts"];
    const tx::LockForm expected[] = {tx::LockForm::plain, tx::LockForm::lock_then_envelope,
                                     tx::LockForm::lock_then_envelope, tx::LockForm::envelope_then_lock};
    for (size_t n = 0; n < 4; ++n) {
        const core::Hash160 owner = txtest::hash160_of_hex(scripts[n]["owner_hash160_hex"].get<std::string>());
        auto lock = tx::find_spendable_lock(unhex(scripts[n]["script_hex"].get<std::string>()));
        ASSERT_TRUE(lock.has_value()) << scripts[n]["name"];
        EXPECT_EQ(lock->form, expected[n]) << scripts[n]["name"];
        EXPECT_EQ(lock->owner, owner);
        if (n == 0) {
            EXPECT_EQ(txtest::hex(tx::p2pkh_script(owner)), scripts[0]["script_hex"].get<std::string>());
        }
    }
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
    auto scripts = testsupport::read_json_vector("inscriptions.json")["scripts"];
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

} // namespace
