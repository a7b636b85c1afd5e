// Test helpers that take ECDSA signatures apart and rebuild them, to forge the malformed and
// high-s forms a hostile peer could send.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "core/bytes.h"

namespace testutil {

using Scalar = std::array<uint8_t, 32>;

// The order n of secp256k1.
inline constexpr Scalar CURVE_ORDER = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                       0xff, 0xff, 0xff, 0xff, 0xfe, 0xba, 0xae, 0xdc, 0xe6, 0xaf, 0x48,
                                       0xa0, 0x3b, 0xbf, 0xd2, 0x5e, 0x8c, 0xd0, 0x36, 0x41, 0x41};

// a - b for big-endian numbers with a >= b.
inline Scalar sub(const Scalar& a, const Scalar& b)
{
    Scalar out{};
    for (int i = 31, borrow = 0; i >= 0; --i) {
        int v = a[i] - b[i] - borrow;
        borrow = v < 0;
        out[i] = static_cast<uint8_t>(v + (borrow ? 256 : 0));
    }
    return out;
}

// True when s > n / 2, that is when s > n - s.
inline bool is_high(const Scalar& s) { return s > sub(CURVE_ORDER, s); }

// Minimal DER integer of a 32-byte number.
inline core::Bytes der_integer(const Scalar& x)
{
    auto start = std::find_if(x.begin(), x.end() - 1, [](uint8_t b) { return b != 0; });
    core::Bytes out{0x02, 0x00};
    if (*start & 0x80) out.push_back(0x00);
    out.insert(out.end(), start, x.end());
    out[1] = static_cast<uint8_t>(out.size() - 2);
    return out;
}

inline core::Bytes der_encode(const Scalar& r, const Scalar& s)
{
    core::Bytes ri = der_integer(r), si = der_integer(s);
    core::Bytes out{0x30, static_cast<uint8_t>(ri.size() + si.size())};
    out.insert(out.end(), ri.begin(), ri.end());
    out.insert(out.end(), si.begin(), si.end());
    return out;
}

// Reads r and s back out of a well-formed DER signature.
inline std::optional<std::pair<Scalar, Scalar>> der_decode(core::ByteView der)
{
    size_t pos = 2;
    auto read_int = [&der, &pos](Scalar& out) {
        if (pos + 2 > der.size() || der[pos] != 0x02 || pos + 2 + der[pos + 1] > der.size()) return false;
        size_t len = der[pos + 1];
        pos += 2;
        for (; len > 32 && der[pos] == 0; --len) ++pos;
        if (len > 32) return false;
        out.fill(0);
        std::copy(der.begin() + static_cast<long>(pos), der.begin() + static_cast<long>(pos + len), out.end() - static_cast<long>(len));
        pos += len;
        return true;
    };
    Scalar r{}, s{};
    if (der.size() < 2 || der[0] != 0x30 || !read_int(r) || !read_int(s)) return std::nullopt;
    return std::make_pair(r, s);
}

// The same signature with s replaced by n - s: valid for plain ECDSA, refused by nodes as high S.
inline core::Bytes flip_s(core::ByteView der)
{
    auto rs = der_decode(der);
    return rs ? der_encode(rs->first, sub(CURVE_ORDER, rs->second)) : core::Bytes{};
}

inline core::Bytes concat(const Scalar& r, const Scalar& s)
{
    core::Bytes out(r.begin(), r.end());
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

} // namespace testutil
