#include "core/secure.h"

#include <openssl/crypto.h>

namespace core {

void secure_wipe(void* data, size_t size)
{
    if (data && size) OPENSSL_cleanse(data, size);
}

void secure_wipe(std::string& text)
{
    // The characters past size() up to capacity() may still hold an earlier, longer secret.
    text.resize(text.capacity());
    secure_wipe(text.data(), text.size());
    text.clear();
}

void secure_wipe(Bytes& bytes)
{
    bytes.resize(bytes.capacity());
    secure_wipe(bytes.data(), bytes.size());
    bytes.clear();
}

SecretString::SecretString(SecretString&& other) noexcept : m_text(std::move(other.m_text))
{
    other.clear();
}

SecretString& SecretString::operator=(SecretString&& other) noexcept
{
    if (this != &other) {
        clear();
        m_text = std::move(other.m_text);
        other.clear();
    }
    return *this;
}

void SecretString::assign(std::string text)
{
    clear();
    m_text = std::move(text);
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes))
{
    other.clear();
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        clear();
        m_bytes = std::move(other.m_bytes);
        other.clear();
    }
    return *this;
}

void SecretBytes::resize(size_t size)
{
    if (size <= m_bytes.capacity()) {
        if (size < m_bytes.size()) secure_wipe(m_bytes.data() + size, m_bytes.size() - size);
        m_bytes.resize(size);
        return;
    }
    Bytes grown;
    grown.reserve(size);
    grown.assign(m_bytes.begin(), m_bytes.end());
    grown.resize(size);
    secure_wipe(m_bytes);
    m_bytes = std::move(grown);
}

} // namespace core
