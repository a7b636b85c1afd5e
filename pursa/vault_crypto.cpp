#include "pursa/vault_crypto.h"

#include "core/aead.h"
#include "core/hash.h"

namespace pursa {

namespace {

constexpr size_t SALT_SIZE = 16;

core::SecretBytes derive_key(std::string_view password, core::ByteView salt, uint32_t iterations)
{
    return core::pbkdf2_sha256(core::as_bytes(password), salt, iterations, core::AEAD_KEY_SIZE);
}

bool iterations_ok(uint32_t iterations)
{
    return iterations >= wallet::LOCK_ITERATIONS_MIN && iterations <= wallet::LOCK_ITERATIONS_MAX;
}

} // namespace

std::optional<wallet::LockEnvelope> seal_text(std::string_view text, std::string_view password, uint32_t iterations)
{
    if (text.empty() || password.empty() || !iterations_ok(iterations)) return std::nullopt;
    wallet::LockEnvelope env;
    env.iterations = iterations;
    env.salt.resize(SALT_SIZE);
    env.iv.resize(core::AEAD_NONCE_SIZE);
    if (!core::random_bytes(env.salt.data(), env.salt.size()) || !core::random_bytes(env.iv.data(), env.iv.size()))
        return std::nullopt;
    core::SecretBytes key = derive_key(password, env.salt, iterations);
    if (key.empty()) return std::nullopt;
    // The wallet file keeps the ciphertext and the tag apart; no associated data.
    auto sealed = core::aead_seal(key.view(), env.iv, {}, core::as_bytes(text));
    if (!sealed) return std::nullopt;
    const auto tag_at = sealed->end() - static_cast<std::ptrdiff_t>(core::AEAD_TAG_SIZE);
    env.ciphertext.assign(sealed->begin(), tag_at);
    env.tag.assign(tag_at, sealed->end());
    return env;
}

std::optional<core::SecretString> open_envelope(const wallet::LockEnvelope& env, std::string_view password)
{
    if (password.empty() || env.salt.size() != SALT_SIZE || env.tag.size() != core::AEAD_TAG_SIZE ||
        env.ciphertext.empty() || !iterations_ok(env.iterations))
        return std::nullopt;
    core::SecretBytes key = derive_key(password, env.salt, env.iterations);
    if (key.empty()) return std::nullopt;
    core::Bytes sealed = env.ciphertext;
    sealed.insert(sealed.end(), env.tag.begin(), env.tag.end());
    auto plain = core::aead_open(key.view(), env.iv, {}, sealed);
    if (!plain) return std::nullopt;
    return core::SecretString(std::string(reinterpret_cast<const char*>(plain->data()), plain->size()));
}

} // namespace pursa
