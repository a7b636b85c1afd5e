#include "pursa/vault_crypto.h"

#include <memory>

#include <openssl/evp.h>

#include "core/hash.h"

namespace pursa {

namespace {

constexpr size_t KEY_SIZE = 32;
constexpr size_t SALT_SIZE = 16;
constexpr size_t IV_SIZE = 12;
constexpr size_t TAG_SIZE = 16;

struct CipherFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

core::SecretBytes derive_key(std::string_view password, core::ByteView salt, uint32_t iterations)
{
    return core::pbkdf2_sha256(core::as_bytes(password), salt, iterations, KEY_SIZE);
}

} // namespace

std::optional<wallet::LockEnvelope> seal_text(std::string_view text, std::string_view password, uint32_t iterations)
{
    if (text.empty() || password.empty()) return std::nullopt;
    if (iterations < wallet::LOCK_ITERATIONS_MIN || iterations > wallet::LOCK_ITERATIONS_MAX) return std::nullopt;
    wallet::LockEnvelope env;
    env.iterations = iterations;
    env.salt.resize(SALT_SIZE);
    env.iv.resize(IV_SIZE);
    env.tag.resize(TAG_SIZE);
    if (!core::random_bytes(env.salt.data(), env.salt.size()) || !core::random_bytes(env.iv.data(), env.iv.size()))
        return std::nullopt;
    core::SecretBytes key = derive_key(password, env.salt, iterations);
    if (key.size() != KEY_SIZE) return std::nullopt;

    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return std::nullopt;
    env.ciphertext.resize(text.size());
    int len = 0;
    int total = 0;
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(IV_SIZE), nullptr) != 1
        || EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), env.iv.data()) != 1
        || EVP_EncryptUpdate(ctx.get(), env.ciphertext.data(), &len,
                             reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size())) != 1)
        return std::nullopt;
    total = len;
    if (EVP_EncryptFinal_ex(ctx.get(), env.ciphertext.data() + total, &len) != 1) return std::nullopt;
    total += len;
    env.ciphertext.resize(static_cast<size_t>(total));
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(TAG_SIZE), env.tag.data()) != 1)
        return std::nullopt;
    if (env.ciphertext.empty()) return std::nullopt;
    return env;
}

std::optional<core::SecretString> open_envelope(const wallet::LockEnvelope& env, std::string_view password)
{
    if (password.empty() || env.salt.size() != SALT_SIZE || env.iv.size() != IV_SIZE || env.tag.size() != TAG_SIZE
        || env.ciphertext.empty())
        return std::nullopt;
    if (env.iterations < wallet::LOCK_ITERATIONS_MIN || env.iterations > wallet::LOCK_ITERATIONS_MAX) return std::nullopt;
    core::SecretBytes key = derive_key(password, env.salt, env.iterations);
    if (key.size() != KEY_SIZE) return std::nullopt;

    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return std::nullopt;
    core::SecretBytes plain{core::Bytes(env.ciphertext.size())};
    core::Bytes tag = env.tag;
    int len = 0;
    int total = 0;
    if (EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(IV_SIZE), nullptr) != 1
        || EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), env.iv.data()) != 1
        || EVP_DecryptUpdate(ctx.get(), plain.data(), &len, env.ciphertext.data(),
                             static_cast<int>(env.ciphertext.size())) != 1)
        return std::nullopt;
    total = len;
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(TAG_SIZE), tag.data()) != 1) return std::nullopt;
    if (EVP_DecryptFinal_ex(ctx.get(), plain.data() + total, &len) != 1) return std::nullopt;
    total += len;
    std::string text(reinterpret_cast<const char*>(plain.data()), static_cast<size_t>(total));
    return core::SecretString(std::move(text));
}

} // namespace pursa
