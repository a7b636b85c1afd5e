#include "core/aead.h"

#include <gtest/gtest.h>

#include "core/hex.h"

namespace {

using core::Bytes;

Bytes hex(const char* text)
{
    return core::hex_decode(text).value();
}

// AES-256-GCM with associated data and a 96-bit nonce: test case 16 of the GCM submission
// (McGrew and Viega), the vector NIST's validation suite starts from.
struct Gcm {
    Bytes key = hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    Bytes nonce = hex("cafebabefacedbaddecaf888");
    Bytes aad = hex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    Bytes plain = hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                      "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    Bytes sealed = hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                       "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
                       "76fc6ece0f4e1768cddf8853bb2d551b");
};

TEST(Aead, KnownAnswerSealsAndOpens)
{
    Gcm v;
    EXPECT_EQ(core::aead_seal(v.key, v.nonce, v.aad, v.plain), v.sealed);
    EXPECT_EQ(core::hex_encode(core::aead_open(v.key, v.nonce, v.aad, v.sealed).value().view()), core::hex_encode(v.plain));
    // An empty text still carries a tag that authenticates the associated data.
    auto empty = core::aead_seal(v.key, v.nonce, v.aad, {});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), core::AEAD_TAG_SIZE);
    EXPECT_TRUE(core::aead_open(v.key, v.nonce, v.aad, *empty));
    EXPECT_FALSE(core::aead_open(v.key, v.nonce, {}, *empty));
}

TEST(Aead, AnyChangedInputIsRefused)
{
    const Gcm v;
    for (auto member : {&Gcm::key, &Gcm::nonce, &Gcm::aad, &Gcm::sealed}) {
        for (size_t at : {size_t(0), (v.*member).size() - 1}) {
            Gcm changed;
            (changed.*member)[at] ^= 0x80;
            EXPECT_FALSE(core::aead_open(changed.key, changed.nonce, changed.aad, changed.sealed)) << at;
        }
    }
    EXPECT_FALSE(core::aead_open(v.key, v.nonce, v.aad, Bytes(v.sealed.begin(), v.sealed.end() - 1)));
    EXPECT_FALSE(core::aead_open(v.key, v.nonce, v.aad, Bytes(core::AEAD_TAG_SIZE - 1)));
    // Wrong sizes are refused rather than padded or cut.
    const Bytes short_key(v.key.begin(), v.key.end() - 1);
    Bytes long_nonce = v.nonce;
    long_nonce.push_back(0);
    EXPECT_FALSE(core::aead_seal(short_key, v.nonce, v.aad, v.plain));
    EXPECT_FALSE(core::aead_seal(v.key, long_nonce, v.aad, v.plain));
    EXPECT_FALSE(core::aead_open(v.key, long_nonce, v.aad, v.sealed));
}

} // namespace
