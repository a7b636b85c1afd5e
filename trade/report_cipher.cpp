#include "trade/report_cipher.h"

#include "core/aead.h"
#include "core/base64.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"

namespace trade {
namespace {

constexpr size_t POINT_SIZE = 33;
constexpr size_t HEADER_SIZE = 1 + 2 * POINT_SIZE + core::AEAD_NONCE_SIZE;
constexpr std::string_view KDF_INFO = "TV-Agoran report 1";

core::Bytes joined(core::ByteView first, core::ByteView second)
{
    core::Bytes out(first.begin(), first.end());
    out.insert(out.end(), second.begin(), second.end());
    return out;
}

// The AES key of one sealed text: HKDF of x(first_secret · first_point) || x(second_secret ·
// second_point). The sender computes it with (e, A) and (m, A), the architect with (a, E) and
// (a, M). Empty when a key is malformed or a point is not on the curve.
core::SecretBytes report_key(core::ByteView first_secret, core::ByteView first_point, core::ByteView second_secret,
                             core::ByteView second_point, core::ByteView e_pub, core::ByteView m_pub,
                             core::ByteView a_pub)
{
    auto first = core::ecdh_x(first_secret, first_point);
    auto second = core::ecdh_x(second_secret, second_point);
    if (!first || !second) return {};
    core::SecretBytes ikm{joined(first->view(), second->view())};
    core::Bytes info = joined(core::as_bytes(KDF_INFO), a_pub);
    return core::hkdf_sha256(ikm.view(), joined(e_pub, m_pub), info, core::AEAD_KEY_SIZE);
}

core::Bytes associated_data(core::ByteView e_pub, core::ByteView m_pub)
{
    return joined(core::Bytes{REPORT_SEAL_VERSION}, joined(e_pub, m_pub));
}

} // namespace

std::optional<std::string> seal_report_text(std::string_view text, core::ByteView recipient_pubkey,
                                            core::ByteView sender_secret)
{
    // The recipient in compressed form; whether it lies on the curve is checked by the ECDH.
    auto a_pub = core::hex_decode(core::normalize_pubkey(recipient_pubkey));
    auto m_pub = core::pubkey_from_secret(sender_secret);
    auto ephemeral = core::new_private_key();
    if (!a_pub || a_pub->size() != POINT_SIZE || !m_pub || !ephemeral) return std::nullopt;
    auto e_pub = core::pubkey_from_secret(ephemeral->view());
    if (!e_pub) return std::nullopt;

    core::SecretBytes key = report_key(ephemeral->view(), *a_pub, sender_secret, *a_pub, *e_pub, *m_pub, *a_pub);
    core::Bytes iv(core::AEAD_NONCE_SIZE);
    if (key.empty() || !core::random_bytes(iv.data(), iv.size())) return std::nullopt;
    auto sealed = core::aead_seal(key.view(), iv, associated_data(*e_pub, *m_pub), core::as_bytes(text));
    if (!sealed) return std::nullopt;

    core::Bytes out = joined(associated_data(*e_pub, *m_pub), iv);
    out.insert(out.end(), sealed->begin(), sealed->end());
    return core::base64_encode(out);
}

std::optional<OpenedReport> open_report_text(std::string_view sealed, core::ByteView recipient_secret)
{
    auto raw = core::base64_decode(sealed);
    if (!raw || raw->size() < HEADER_SIZE + core::AEAD_TAG_SIZE || (*raw)[0] != REPORT_SEAL_VERSION)
        return std::nullopt;
    auto a_pub = core::pubkey_from_secret(recipient_secret);
    if (!a_pub) return std::nullopt;

    core::ByteView all(*raw);
    core::ByteView e_pub = all.subspan(1, POINT_SIZE);
    core::ByteView m_pub = all.subspan(1 + POINT_SIZE, POINT_SIZE);
    core::ByteView iv = all.subspan(1 + 2 * POINT_SIZE, core::AEAD_NONCE_SIZE);
    core::SecretBytes key = report_key(recipient_secret, e_pub, recipient_secret, m_pub, e_pub, m_pub, *a_pub);
    if (key.empty()) return std::nullopt;
    auto plain = core::aead_open(key.view(), iv, associated_data(e_pub, m_pub), all.subspan(HEADER_SIZE));
    if (!plain) return std::nullopt;

    OpenedReport opened;
    opened.text.assign(std::string(reinterpret_cast<const char*>(plain->data()), plain->size()));
    opened.sender_pubkey_hex = core::hex_encode(m_pub);
    return opened;
}

} // namespace trade
