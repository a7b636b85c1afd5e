#include "trade/report_cipher.h"

#include <array>
#include <cstring>
#include <memory>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <secp256k1_ecdh.h>

#include "core/base64.h"
#include "core/curve.h"
#include "core/hash.h"
#include "core/hex.h"

namespace trade {
namespace {

constexpr size_t POINT_SIZE = 33;
constexpr size_t IV_SIZE = 12;
constexpr size_t TAG_SIZE = 16;
constexpr size_t KEY_SIZE = 32;
constexpr size_t HEADER_SIZE = 1 + 2 * POINT_SIZE + IV_SIZE;
constexpr std::string_view KDF_INFO = "TV-Agoran report 1";

using Point = std::array<uint8_t, POINT_SIZE>;

// The x coordinate of the shared point, unhashed: the key schedule hashes it.
int copy_x(unsigned char* output, const unsigned char* x32, const unsigned char*, void*)
{
    std::memcpy(output, x32, 32);
    return 1;
}

// x(secret · point) appended to out.
bool append_shared_x(core::SecretBytes& out, const secp256k1_pubkey& point, const core::SecretScalar& secret)
{
    core::SecretScalar shared;
    if (!secp256k1_ecdh(core::secp_context(), shared.bytes.data(), &point, secret.bytes.data(), copy_x, nullptr))
        return false;
    size_t at = out.size();
    out.resize(at + shared.bytes.size());
    std::memcpy(out.data() + at, shared.bytes.data(), shared.bytes.size());
    return true;
}

struct KdfDeleter {
    void operator()(EVP_KDF* p) const { EVP_KDF_free(p); }
    void operator()(EVP_KDF_CTX* p) const { EVP_KDF_CTX_free(p); }
    void operator()(EVP_CIPHER_CTX* p) const { EVP_CIPHER_CTX_free(p); }
};

// HKDF-SHA256 of the shared secrets into the AES key.
bool derive_key(const core::SecretBytes& ikm, const Point& e_pub, const Point& m_pub, const Point& a_pub,
                core::SecretBytes& key)
{
    std::unique_ptr<EVP_KDF, KdfDeleter> kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr));
    if (!kdf) return false;
    std::unique_ptr<EVP_KDF_CTX, KdfDeleter> ctx(EVP_KDF_CTX_new(kdf.get()));
    if (!ctx) return false;

    core::Bytes salt(e_pub.begin(), e_pub.end());
    salt.insert(salt.end(), m_pub.begin(), m_pub.end());
    core::Bytes info(KDF_INFO.begin(), KDF_INFO.end());
    info.insert(info.end(), a_pub.begin(), a_pub.end());

    char digest[] = "SHA256";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, const_cast<uint8_t*>(ikm.data()), ikm.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, salt.data(), salt.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, info.data(), info.size()),
        OSSL_PARAM_construct_end(),
    };
    key.resize(KEY_SIZE);
    if (EVP_KDF_derive(ctx.get(), key.data(), key.size(), params) != 1) {
        key.clear();
        return false;
    }
    return true;
}

core::Bytes associated_data(const Point& e_pub, const Point& m_pub)
{
    core::Bytes aad{REPORT_SEAL_VERSION};
    aad.insert(aad.end(), e_pub.begin(), e_pub.end());
    aad.insert(aad.end(), m_pub.begin(), m_pub.end());
    return aad;
}

std::optional<Point> public_point(const core::SecretScalar& secret)
{
    secp256k1_pubkey pub;
    if (!secp256k1_ec_pubkey_create(core::secp_context(), &pub, secret.bytes.data())) return std::nullopt;
    return core::serialize_compressed(pub);
}

// The AES key of one sealed text, from one side's secret and the other side's points.
bool key_for(const core::SecretScalar& first_secret, const secp256k1_pubkey& first_point,
             const core::SecretScalar& second_secret, const secp256k1_pubkey& second_point, const Point& e_pub,
             const Point& m_pub, const Point& a_pub, core::SecretBytes& key)
{
    core::SecretBytes ikm;
    return append_shared_x(ikm, first_point, first_secret) && append_shared_x(ikm, second_point, second_secret) &&
           derive_key(ikm, e_pub, m_pub, a_pub, key);
}

} // namespace

std::optional<std::string> seal_report_text(std::string_view text, core::ByteView recipient_pubkey,
                                            core::ByteView sender_secret)
{
    auto recipient = core::parse_pubkey(recipient_pubkey);
    core::SecretScalar sender;
    if (!recipient || !core::load_private_key(sender_secret, sender)) return std::nullopt;

    core::SecretScalar ephemeral;
    do {
        if (!core::random_bytes(ephemeral.bytes.data(), ephemeral.bytes.size())) return std::nullopt;
    } while (!secp256k1_ec_seckey_verify(core::secp_context(), ephemeral.bytes.data()));

    auto e_pub = public_point(ephemeral);
    auto m_pub = public_point(sender);
    if (!e_pub || !m_pub) return std::nullopt;
    Point a_pub = core::serialize_compressed(*recipient);

    core::SecretBytes key;
    if (!key_for(ephemeral, *recipient, sender, *recipient, *e_pub, *m_pub, a_pub, key)) return std::nullopt;

    std::array<uint8_t, IV_SIZE> iv{};
    if (!core::random_bytes(iv.data(), iv.size())) return std::nullopt;

    core::Bytes out{REPORT_SEAL_VERSION};
    out.insert(out.end(), e_pub->begin(), e_pub->end());
    out.insert(out.end(), m_pub->begin(), m_pub->end());
    out.insert(out.end(), iv.begin(), iv.end());
    const size_t body_at = out.size();
    out.resize(body_at + text.size() + TAG_SIZE);

    std::unique_ptr<EVP_CIPHER_CTX, KdfDeleter> ctx(EVP_CIPHER_CTX_new());
    core::Bytes aad = associated_data(*e_pub, *m_pub);
    int len = 0;
    int final_len = 0;
    if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, IV_SIZE, nullptr) != 1 ||
        EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), iv.data()) != 1 ||
        EVP_EncryptUpdate(ctx.get(), nullptr, &len, aad.data(), static_cast<int>(aad.size())) != 1 ||
        EVP_EncryptUpdate(ctx.get(), out.data() + body_at, &len, reinterpret_cast<const uint8_t*>(text.data()),
                          static_cast<int>(text.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), out.data() + body_at + len, &final_len) != 1 ||
        static_cast<size_t>(len + final_len) != text.size() ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, TAG_SIZE, out.data() + body_at + text.size()) != 1)
        return std::nullopt;
    return core::base64_encode(out);
}

std::optional<OpenedReport> open_report_text(std::string_view sealed, core::ByteView recipient_secret)
{
    auto raw = core::base64_decode(sealed);
    if (!raw || raw->size() < HEADER_SIZE + TAG_SIZE || (*raw)[0] != REPORT_SEAL_VERSION) return std::nullopt;
    core::SecretScalar recipient;
    if (!core::load_private_key(recipient_secret, recipient)) return std::nullopt;

    Point e_pub{};
    Point m_pub{};
    std::memcpy(e_pub.data(), raw->data() + 1, POINT_SIZE);
    std::memcpy(m_pub.data(), raw->data() + 1 + POINT_SIZE, POINT_SIZE);
    const uint8_t* iv = raw->data() + 1 + 2 * POINT_SIZE;
    auto e_point = core::parse_pubkey(e_pub);
    auto m_point = core::parse_pubkey(m_pub);
    auto a_pub = public_point(recipient);
    if (!e_point || !m_point || !a_pub) return std::nullopt;

    core::SecretBytes key;
    if (!key_for(recipient, *e_point, recipient, *m_point, e_pub, m_pub, *a_pub, key)) return std::nullopt;

    const size_t body_size = raw->size() - HEADER_SIZE - TAG_SIZE;
    const uint8_t* body = raw->data() + HEADER_SIZE;
    std::array<uint8_t, TAG_SIZE> tag{};
    std::memcpy(tag.data(), body + body_size, TAG_SIZE);

    core::SecretBytes plain(core::Bytes(body_size + 1));
    std::unique_ptr<EVP_CIPHER_CTX, KdfDeleter> ctx(EVP_CIPHER_CTX_new());
    core::Bytes aad = associated_data(e_pub, m_pub);
    int len = 0;
    int final_len = 0;
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, IV_SIZE, nullptr) != 1 ||
        EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), iv) != 1 ||
        EVP_DecryptUpdate(ctx.get(), nullptr, &len, aad.data(), static_cast<int>(aad.size())) != 1 ||
        EVP_DecryptUpdate(ctx.get(), plain.data(), &len, body, static_cast<int>(body_size)) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, TAG_SIZE, tag.data()) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), plain.data() + len, &final_len) != 1 ||
        static_cast<size_t>(len + final_len) != body_size)
        return std::nullopt;

    OpenedReport opened;
    opened.text.assign(std::string(reinterpret_cast<const char*>(plain.data()), body_size));
    opened.sender_pubkey_hex = core::hex_encode(m_pub);
    return opened;
}

} // namespace trade
