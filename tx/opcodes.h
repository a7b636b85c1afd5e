// The script opcodes this program writes or recognises.
#pragma once

#include <cstdint>

namespace tx {

inline constexpr uint8_t OP_0 = 0x00;  // also OP_FALSE: pushes an empty value
inline constexpr uint8_t OP_PUSHDATA1 = 0x4C;
inline constexpr uint8_t OP_PUSHDATA2 = 0x4D;
inline constexpr uint8_t OP_PUSHDATA4 = 0x4E;
inline constexpr uint8_t OP_1 = 0x51;
inline constexpr uint8_t OP_5 = 0x55;
inline constexpr uint8_t OP_16 = 0x60;
inline constexpr uint8_t OP_IF = 0x63;
inline constexpr uint8_t OP_ENDIF = 0x68;
inline constexpr uint8_t OP_RETURN = 0x6A;
inline constexpr uint8_t OP_DUP = 0x76;
inline constexpr uint8_t OP_EQUALVERIFY = 0x88;
inline constexpr uint8_t OP_HASH160 = 0xA9;
inline constexpr uint8_t OP_CHECKSIG = 0xAC;

} // namespace tx
