// What a library routine returns: its value, or why there is none. The error type belongs to the
// layer (a code and what varies, such as a service's own message); the words the user reads are
// made from it by the programs and the trade layer, never by the routine that failed.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace core {

template <typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(T value) : m_held(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_held(std::in_place_index<1>, std::move(error)) {}

    [[nodiscard]] bool ok() const { return m_held.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(m_held); }
    T& value() & { return std::get<0>(m_held); }
    T&& value() && { return std::get<0>(std::move(m_held)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    // The error; only when !ok().
    [[nodiscard]] const E& error() const { return std::get<1>(m_held); }

private:
    std::variant<T, E> m_held;
};

// A routine that only succeeds or fails. Default-constructed, it succeeded.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : m_error(std::move(error)) {}

    [[nodiscard]] bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }

    // The error; only when !ok().
    [[nodiscard]] const E& error() const { return *m_error; }

private:
    std::optional<E> m_error;
};

} // namespace core
