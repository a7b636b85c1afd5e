#include "core/base58.h"

#include <algorithm>
#include <cstring>

#include "core/hash.h"

namespace core {
namespace {

constexpr char ALPHABET[] = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";
constexpr size_t PAYLOAD_SIZE = 25;  // version byte, hash160, checksum
constexpr size_t MIN_ADDRESS_LEN = 26;
constexpr size_t MAX_ADDRESS_LEN = 35;

int digit_value(char c)
{
    const char* pos = std::strchr(ALPHABET, c);
    if (c == '\0' || !pos) return -1;
    return static_cast<int>(pos - ALPHABET);
}

} // namespace

std::string address_from_hash160(const Hash160& hash)
{
    std::array<uint8_t, PAYLOAD_SIZE> payload{};
    payload[0] = 0x00;
    std::copy(hash.begin(), hash.end(), payload.begin() + 1);
    Hash256 check = sha256d(ByteView(payload.data(), 21));
    std::copy(check.begin(), check.begin() + 4, payload.begin() + 21);

    size_t zeros = 0;
    while (zeros < payload.size() && payload[zeros] == 0) ++zeros;

    // Repeated long division of the big-endian number by 58; remainders come out least
    // significant first.
    std::string digits;
    std::vector<uint8_t> number(payload.begin() + zeros, payload.end());
    while (!number.empty()) {
        std::vector<uint8_t> quotient;
        quotient.reserve(number.size());
        unsigned remainder = 0;
        for (uint8_t byte : number) {
            unsigned value = remainder * 256 + byte;
            uint8_t q = static_cast<uint8_t>(value / 58);
            remainder = value % 58;
            if (!quotient.empty() || q != 0) quotient.push_back(q);
        }
        digits.push_back(ALPHABET[remainder]);
        number = std::move(quotient);
    }
    std::string out(zeros, '1');
    out.append(digits.rbegin(), digits.rend());
    return out;
}

std::optional<Hash160> hash160_from_address(std::string_view address)
{
    if (address.size() < MIN_ADDRESS_LEN || address.size() > MAX_ADDRESS_LEN) return std::nullopt;

    // Big-endian accumulator; 35 base-58 digits fit in 26 bytes.
    std::vector<uint8_t> number;
    for (char c : address) {
        int digit = digit_value(c);
        if (digit < 0) return std::nullopt;
        unsigned carry = static_cast<unsigned>(digit);
        for (auto it = number.rbegin(); it != number.rend(); ++it) {
            unsigned value = static_cast<unsigned>(*it) * 58 + carry;
            *it = static_cast<uint8_t>(value & 0xff);
            carry = value >> 8;
        }
        while (carry) {
            number.insert(number.begin(), static_cast<uint8_t>(carry & 0xff));
            carry >>= 8;
        }
    }

    size_t ones = 0;
    while (ones < address.size() && address[ones] == '1') ++ones;
    auto first_nonzero = std::find_if(number.begin(), number.end(), [](uint8_t b) { return b != 0; });
    Bytes payload(ones, 0);
    payload.insert(payload.end(), first_nonzero, number.end());

    if (payload.size() != PAYLOAD_SIZE || payload[0] != 0x00) return std::nullopt;
    Hash256 check = sha256d(ByteView(payload.data(), 21));
    if (!std::equal(check.begin(), check.begin() + 4, payload.begin() + 21)) return std::nullopt;

    Hash160 out{};
    std::copy(payload.begin() + 1, payload.begin() + 21, out.begin());
    return out;
}

} // namespace core
