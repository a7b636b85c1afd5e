#include "core/hash.h"

#include <limits>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>

namespace core {
namespace {

// Digest implementations fetched once per process: an implicit fetch on every call costs more
// than hashing a short input. EVP_MD objects are immutable and shared safely between threads.
const EVP_MD* fetched_md(const char* name)
{
    return EVP_MD_fetch(nullptr, name, nullptr);
}

const EVP_MD* md_sha256()
{
    static const EVP_MD* md = fetched_md("SHA256");
    return md;
}

const EVP_MD* md_sha512()
{
    static const EVP_MD* md = fetched_md("SHA512");
    return md;
}

const EVP_MD* md_ripemd160()
{
    static const EVP_MD* md = fetched_md("RIPEMD160");
    return md;
}

// OpenSSL may read a null pointer of an empty span as "no input"; give it a real one.
const uint8_t* nonnull(ByteView data)
{
    static const uint8_t EMPTY = 0;
    return data.empty() ? &EMPTY : data.data();
}

// One-shot digest into out, which holds exactly the digest size of md. False on any failure.
bool digest(const EVP_MD* md, ByteView data, uint8_t* out)
{
    if (!md) return false;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx) return false;
    unsigned int len = 0;
    bool ok = EVP_DigestInit_ex2(ctx, md, nullptr) == 1 &&
              EVP_DigestUpdate(ctx, nonnull(data), data.size()) == 1 &&
              EVP_DigestFinal_ex(ctx, out, &len) == 1;
    EVP_MD_CTX_free(ctx);
    return ok;
}

} // namespace

Hash256 sha256(ByteView data)
{
    Hash256 out{};
    if (!digest(md_sha256(), data, out.data())) out.fill(0);
    return out;
}

Hash256 sha256d(ByteView data)
{
    Hash256 first = sha256(data);
    return sha256(first);
}

Hash160 hash160(ByteView data)
{
    Hash256 inner = sha256(data);
    Hash160 out{};
    if (!digest(md_ripemd160(), inner, out.data())) out.fill(0);
    return out;
}

SecretBytes hmac_sha512(ByteView key, ByteView data)
{
    const EVP_MD* md = md_sha512();
    if (!md || key.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    SecretBytes mac{Bytes(64)};
    unsigned int len = 0;
    if (!HMAC(md, nonnull(key), static_cast<int>(key.size()), nonnull(data), data.size(), mac.data(), &len) ||
        len != 64) {
        return {};
    }
    return mac;
}

namespace {

SecretBytes pbkdf2(const EVP_MD* md, ByteView password, ByteView salt, uint32_t iterations, size_t out_len)
{
    constexpr size_t INT_MAX_SIZE = static_cast<size_t>(std::numeric_limits<int>::max());
    if (!md || iterations == 0 || iterations > INT_MAX_SIZE || out_len == 0 || out_len > INT_MAX_SIZE ||
        password.size() > INT_MAX_SIZE || salt.size() > INT_MAX_SIZE) {
        return {};
    }
    SecretBytes out{Bytes(out_len)};
    const char* pass = reinterpret_cast<const char*>(nonnull(password));
    const uint8_t* salt_ptr = nonnull(salt);
    if (PKCS5_PBKDF2_HMAC(pass, static_cast<int>(password.size()), salt_ptr, static_cast<int>(salt.size()),
                          static_cast<int>(iterations), md, static_cast<int>(out_len), out.data()) != 1) {
        return {};
    }
    return out;
}

} // namespace

SecretBytes pbkdf2_sha512(ByteView password, ByteView salt, uint32_t iterations, size_t out_len)
{
    return pbkdf2(md_sha512(), password, salt, iterations, out_len);
}

SecretBytes pbkdf2_sha256(ByteView password, ByteView salt, uint32_t iterations, size_t out_len)
{
    return pbkdf2(md_sha256(), password, salt, iterations, out_len);
}

SecretBytes hkdf_sha256(ByteView ikm, ByteView salt, ByteView info, size_t out_len)
{
    if (out_len == 0 || out_len > 255 * 32) return {};
    EVP_KDF* kdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
    EVP_KDF_CTX* ctx = kdf ? EVP_KDF_CTX_new(kdf) : nullptr;
    EVP_KDF_free(kdf);
    if (!ctx) return {};
    char digest_name[] = "SHA256";
    // OpenSSL takes the octet strings as non-const but only reads them.
    auto octets = [](const char* name, ByteView data) {
        return OSSL_PARAM_construct_octet_string(name, const_cast<uint8_t*>(nonnull(data)), data.size());
    };
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest_name, 0),
        octets(OSSL_KDF_PARAM_KEY, ikm),
        octets(OSSL_KDF_PARAM_SALT, salt),
        octets(OSSL_KDF_PARAM_INFO, info),
        OSSL_PARAM_construct_end(),
    };
    SecretBytes out{Bytes(out_len)};
    bool ok = EVP_KDF_derive(ctx, out.data(), out.size(), params) == 1;
    EVP_KDF_CTX_free(ctx);
    if (!ok) return {};
    return out;
}

bool random_bytes(uint8_t* out, size_t size)
{
    if (size == 0) return true;
    if (!out || size > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
    return RAND_bytes(out, static_cast<int>(size)) == 1;
}

} // namespace core
