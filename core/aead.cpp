#include "core/aead.h"

#include <limits>
#include <memory>

#include <openssl/evp.h>

namespace core {
namespace {

struct CipherFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

constexpr size_t INT_MAX_SIZE = static_cast<size_t>(std::numeric_limits<int>::max());

bool sizes_ok(ByteView key, ByteView nonce, ByteView aad, ByteView text)
{
    return key.size() == AEAD_KEY_SIZE && nonce.size() == AEAD_NONCE_SIZE && aad.size() <= INT_MAX_SIZE &&
           text.size() <= INT_MAX_SIZE - AEAD_TAG_SIZE;
}

// A cipher context set up for AES-256-GCM with key and nonce, aad already fed; null on failure.
CipherContext start(bool encrypt, ByteView key, ByteView nonce, ByteView aad)
{
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return nullptr;
    int len = 0;
    int enc = encrypt ? 1 : 0;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(AEAD_NONCE_SIZE), nullptr) != 1 ||
        EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce.data(), enc) != 1)
        return nullptr;
    if (!aad.empty() && EVP_CipherUpdate(ctx.get(), nullptr, &len, aad.data(), static_cast<int>(aad.size())) != 1)
        return nullptr;
    return ctx;
}

} // namespace

std::optional<Bytes> aead_seal(ByteView key, ByteView nonce, ByteView aad, ByteView plaintext)
{
    if (!sizes_ok(key, nonce, aad, plaintext)) return std::nullopt;
    CipherContext ctx = start(true, key, nonce, aad);
    if (!ctx) return std::nullopt;
    Bytes out(plaintext.size() + AEAD_TAG_SIZE);
    int len = 0;
    int final_len = 0;
    if (!plaintext.empty() &&
        EVP_EncryptUpdate(ctx.get(), out.data(), &len, plaintext.data(), static_cast<int>(plaintext.size())) != 1)
        return std::nullopt;
    if (EVP_EncryptFinal_ex(ctx.get(), out.data() + len, &final_len) != 1 ||
        static_cast<size_t>(len + final_len) != plaintext.size() ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(AEAD_TAG_SIZE),
                            out.data() + plaintext.size()) != 1)
        return std::nullopt;
    return out;
}

std::optional<SecretBytes> aead_open(ByteView key, ByteView nonce, ByteView aad, ByteView sealed)
{
    if (sealed.size() < AEAD_TAG_SIZE) return std::nullopt;
    const size_t body_size = sealed.size() - AEAD_TAG_SIZE;
    ByteView body = sealed.first(body_size);
    if (!sizes_ok(key, nonce, aad, body)) return std::nullopt;
    CipherContext ctx = start(false, key, nonce, aad);
    if (!ctx) return std::nullopt;
    // One spare byte, so that even an empty text has a buffer to write into.
    SecretBytes plain{Bytes(body_size + 1)};
    Bytes tag(sealed.begin() + static_cast<std::ptrdiff_t>(body_size), sealed.end());
    int len = 0;
    int final_len = 0;
    if (!body.empty() &&
        EVP_DecryptUpdate(ctx.get(), plain.data(), &len, body.data(), static_cast<int>(body.size())) != 1)
        return std::nullopt;
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(AEAD_TAG_SIZE), tag.data()) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), plain.data() + len, &final_len) != 1 ||
        static_cast<size_t>(len + final_len) != body_size)
        return std::nullopt;
    plain.resize(body_size);
    return plain;
}

} // namespace core
