// Holders for secrets (private keys, seeds, mnemonics) that wipe their memory when they die.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Overwrites the memory in a way the compiler may not remove (OPENSSL_cleanse). Null or zero
// size is a no-op. The holders below are not synchronised: one thread owns each.
void secure_wipe(void* data, size_t size);
void secure_wipe(std::string& text);  // wipes the whole capacity, then clears
void secure_wipe(Bytes& bytes);       // wipes the whole capacity, then clears

// The pages under a secret's buffer, locked in memory (kept out of the swap file, where the
// system allows: platform/memory_lock.h) while held. Used by the holders below.
class LockedPages {
public:
    LockedPages() = default;
    LockedPages(const LockedPages&) = delete;
    LockedPages& operator=(const LockedPages&) = delete;
    ~LockedPages() { release(); }

    // Locks [data, data + size) and then lets go of the range held before (none when size is 0).
    void cover(const void* data, size_t size);
    void release() { cover(nullptr, 0); }

private:
    const void* m_data = nullptr;
    size_t m_size = 0;
};

// A text secret, such as a private key in hex or a mnemonic. Movable, not copyable; the
// destructor and clear() wipe it. Use view() to hand it to a function without copying.
class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string text) : m_text(std::move(text)) { lock_pages(); }
    SecretString(const SecretString&) = delete;
    SecretString& operator=(const SecretString&) = delete;
    SecretString(SecretString&& other) noexcept;
    SecretString& operator=(SecretString&& other) noexcept;
    ~SecretString() { clear(); }

    [[nodiscard]] std::string_view view() const { return m_text; }
    [[nodiscard]] const std::string& str() const { return m_text; }
    [[nodiscard]] bool empty() const { return m_text.empty(); }
    [[nodiscard]] size_t size() const { return m_text.size(); }
    void clear() { secure_wipe(m_text); }
    void assign(std::string text);

private:
    void lock_pages() { m_pages.cover(m_text.data(), m_text.capacity() + 1); }

    std::string m_text;
    LockedPages m_pages;  // declared after the buffer: unlocked before it is freed
};

// A byte secret, such as a seed or a private scalar. Same rules as SecretString.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(Bytes bytes) : m_bytes(std::move(bytes)) { lock_pages(); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    ~SecretBytes() { clear(); }

    [[nodiscard]] ByteView view() const { return m_bytes; }
    [[nodiscard]] const uint8_t* data() const { return m_bytes.data(); }
    uint8_t* data() { return m_bytes.data(); }
    [[nodiscard]] size_t size() const { return m_bytes.size(); }
    [[nodiscard]] bool empty() const { return m_bytes.empty(); }
    void resize(size_t size);  // keeps the content; wipes the old buffer after any reallocation
    void clear() { secure_wipe(m_bytes); }

private:
    void lock_pages() { m_pages.cover(m_bytes.data(), m_bytes.capacity()); }

    Bytes m_bytes;
    LockedPages m_pages;  // declared after the buffer: unlocked before it is freed
};

} // namespace core
