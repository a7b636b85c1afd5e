// Reading members of JSON values that came from outside: files, posts, service answers.
// Nothing here throws; a missing member or one of the wrong type reads as "absent".
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/json_fwd.h"

namespace core {

// Parses text as JSON without throwing. nullopt when it is not JSON.
inline std::optional<Json> parse_json(std::string_view text)
{
    Json doc = Json::parse(text.begin(), text.end(), nullptr, false);
    if (doc.is_discarded()) return std::nullopt;
    return doc;
}

// The member when obj is an object that has it; otherwise null.
inline const Json* json_member(const Json& obj, std::string_view key)
{
    if (!obj.is_object()) return nullptr;
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

// A string member, or nullopt when missing or not a string.
inline std::optional<std::string> json_string_opt(const Json& obj, std::string_view key)
{
    const Json* v = json_member(obj, key);
    if (!v || !v->is_string()) return std::nullopt;
    return v->get<std::string>();
}

// A string member, or "" when missing or not a string.
inline std::string json_string(const Json& obj, std::string_view key)
{
    return json_string_opt(obj, key).value_or(std::string());
}

// A boolean member, or nullopt when missing or not a boolean.
inline std::optional<bool> json_bool_opt(const Json& obj, std::string_view key)
{
    const Json* v = json_member(obj, key);
    if (!v || !v->is_boolean()) return std::nullopt;
    return v->get<bool>();
}

// A number read as a signed 64-bit integer: integers as they are (unsigned values above the
// signed range are refused), floats truncated toward zero when in range. nullopt otherwise.
inline std::optional<int64_t> json_number_as_int64(const Json& v)
{
    if (v.is_number_unsigned()) {
        uint64_t u = v.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    if (v.is_number_integer()) return v.get<int64_t>();
    if (v.is_number_float()) {
        double d = v.get<double>();
        if (!std::isfinite(d) || d >= 9.2233720368547758e18 || d <= -9.2233720368547758e18) return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

// An integer member (see json_number_as_int64), or nullopt.
inline std::optional<int64_t> json_int64_opt(const Json& obj, std::string_view key)
{
    const Json* v = json_member(obj, key);
    if (!v) return std::nullopt;
    return json_number_as_int64(*v);
}

// An integer member, or fallback when missing or not a number.
inline int64_t json_int64(const Json& obj, std::string_view key, int64_t fallback = 0)
{
    return json_int64_opt(obj, key).value_or(fallback);
}

// An array member, or null when missing or not an array.
inline const Json* json_array(const Json& obj, std::string_view key)
{
    const Json* v = json_member(obj, key);
    return (v && v->is_array()) ? v : nullptr;
}

// An object member, or null when missing or not an object.
inline const Json* json_object(const Json& obj, std::string_view key)
{
    const Json* v = json_member(obj, key);
    return (v && v->is_object()) ? v : nullptr;
}

// Serialises the way the program writes its files: indent 2, keys sorted (the map order),
// non-ASCII text kept as UTF-8, invalid UTF-8 replaced rather than thrown on.
inline std::string json_dump_file(const Json& value)
{
    return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

// Compact serialisation, as posts are written.
inline std::string json_dump_compact(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace core
