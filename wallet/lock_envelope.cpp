#include "wallet/lock_envelope.h"

#include "core/hex.h"
#include "core/json_get.h"

namespace wallet {

namespace {

std::optional<core::Bytes> hex_member(const nlohmann::json& obj, std::string_view key, size_t size)
{
    auto text = core::json_string_opt(obj, key);
    if (!text) return std::nullopt;
    auto bytes = core::hex_decode(*text);
    if (!bytes || (size && bytes->size() != size) || bytes->empty()) return std::nullopt;
    return bytes;
}

} // namespace

bool is_lock_envelope(const nlohmann::json& value)
{
    return core::json_string(value, "lock") == LOCK_TAG;
}

std::optional<LockEnvelope> parse_lock_envelope(const nlohmann::json& value)
{
    if (!is_lock_envelope(value) || core::json_string(value, "kdf") != LOCK_KDF) return std::nullopt;
    const nlohmann::json* iter = core::json_member(value, "iter");
    if (!iter || !iter->is_number_integer()) return std::nullopt;
    auto n = core::json_number_as_int64(*iter);
    if (!n || *n < LOCK_ITERATIONS_MIN || *n > LOCK_ITERATIONS_MAX) return std::nullopt;
    LockEnvelope out;
    out.iterations = static_cast<uint32_t>(*n);
    auto salt = hex_member(value, "salt", 16);
    auto iv = hex_member(value, "iv", 12);
    auto tag = hex_member(value, "tag", 16);
    auto ct = hex_member(value, "ct", 0);
    if (!salt || !iv || !tag || !ct) return std::nullopt;
    out.salt = std::move(*salt);
    out.iv = std::move(*iv);
    out.tag = std::move(*tag);
    out.ciphertext = std::move(*ct);
    return out;
}

nlohmann::json lock_envelope_to_json(const LockEnvelope& e)
{
    return {{"lock", std::string(LOCK_TAG)},
            {"kdf", std::string(LOCK_KDF)},
            {"iter", e.iterations},
            {"salt", core::hex_encode(e.salt)},
            {"iv", core::hex_encode(e.iv)},
            {"tag", core::hex_encode(e.tag)},
            {"ct", core::hex_encode(e.ciphertext)}};
}

} // namespace wallet
