#include "core/secure.h"

#include <openssl/crypto.h>

#include "platform/memory_lock.h"

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

void LockedPages::cover(const void* data, size_t size)
{
    if (data == m_data && size == m_size) return;
    if (data && size) (void)platform::lock_memory(data, size);  // fails soft
    if (m_data && m_size) platform::unlock_memory(m_data, m_size);
    m_data = size ? data : nullptr;
    m_size = data ? size : 0;
}

SecretString::SecretString(SecretString&& other) noexcept : m_text(std::move(other.m_text))
{
    lock_pages();  // before the other lets go, so a page both share stays locked
    other.clear();
    other.lock_pages();
}

SecretString& SecretString::operator=(SecretString&& other) noexcept
{
    if (this != &other) {
        clear();
        m_pages.release();
        m_text = std::move(other.m_text);
        lock_pages();
        other.clear();
        other.lock_pages();
    }
    return *this;
}

void SecretString::assign(std::string text)
{
    clear();
    m_pages.release();
    m_text = std::move(text);
    lock_pages();
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes))
{
    lock_pages();  // before the other lets go, so a page both share stays locked
    other.clear();
    other.lock_pages();
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        clear();
        m_pages.release();
        m_bytes = std::move(other.m_bytes);
        lock_pages();
        other.clear();
        other.lock_pages();
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
    LockedPages grown_pages;
    grown_pages.cover(grown.data(), grown.capacity());
    grown.assign(m_bytes.begin(), m_bytes.end());
    grown.resize(size);
    secure_wipe(m_bytes);
    m_pages.release();
    m_bytes = std::move(grown);
    lock_pages();
}

} // namespace core
