// Who is who, as the registry host publishes it: identity keys by handle (kept in the services'
// caches for 30 minutes), frozen identities and the architects list.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/services.h"

namespace book {

// The identity key (compressed lower-case hex) published for a handle, or "" when the handle
// is empty, names another domain, has no key, or the registry cannot be reached. A handle is
// normalised (blanks, one leading "@" or "$") and may carry "@" and the registry's domain.
// Successful lookups are kept for 30 minutes; failures are never kept. Safe from any thread;
// the cache lock is never held across a request.
std::string identity_key_of(std::string_view handle, const BookServices& services);

// The same lookup, telling an answer from no answer: the key; "" when the handle is empty,
// names another domain, or the registry answered that it has no key for it; nullopt when the
// registry could not be asked or gave no usable answer by the deadline (busy, down, time-out).
std::optional<std::string> identity_key_lookup(std::string_view handle, const BookServices& services,
                                               const net::Deadline& deadline = {});

// Whether the registry marks the identity key as frozen; note receives its "frozenNote". An
// empty or malformed key, or a registry that cannot be reached, gives false with an empty note.
[[nodiscard]] bool identity_frozen(std::string_view pubkey_hex, std::string& note,
                                   const BookServices& services);

// The architects list: the keys allowed to force-cancel a listing, compressed lower-case hex.
// nullopt when the registry cannot be reached or answers without a "pubkeys" array.
std::optional<std::vector<std::string>> architect_keys(const BookServices& services);

// The list one reduction uses: fetched once; when that fails, the last list fetched
// successfully through these caches (empty when there was none), so that a passing failure does not
// bring force-cancelled listings back.
std::vector<std::string> architect_keys_for_reduction(const BookServices& services);

} // namespace book
