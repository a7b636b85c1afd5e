// What a service client returns: the value the caller reads, or why there is none.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace net {

enum class Failure {
    None,
    Input,    // the caller's argument cannot be asked for (not a txid, an outpoint, ...)
    Request,  // the request failed: no answer, a failing HTTP status, a body over its cap
    Answer,   // the service answered, but not in the shape the program reads
};

template <typename T>
struct Result {
    std::optional<T> value;
    Failure failure = Failure::None;
    long status = 0;    // HTTP status of the answer; 0 when none arrived
    std::string error;  // one sentence when value is empty

    static Result success(T v, long status = 200)
    {
        Result r;
        r.value = std::move(v);
        r.status = status;
        return r;
    }
    static Result failed(Failure why, std::string error, long status = 0)
    {
        Result r;
        r.failure = why;
        r.error = std::move(error);
        r.status = status;
        return r;
    }

    [[nodiscard]] bool ok() const { return value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& operator*() const& { return *value; }
    T& operator*() & { return *value; }
    const T* operator->() const { return &*value; }
    T* operator->() { return &*value; }
};

} // namespace net
