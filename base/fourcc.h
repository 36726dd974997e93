#pragma once
// Four-character codes ('Kel1', 'aufx', 'CcnK'): four characters packed into 32 bits, the first
// in the most significant byte.

#include <cstdint>

// The code of a four-character literal.
constexpr uint32_t FourCC(const char (&code)[5])
{
  return (uint32_t)(uint8_t)code[0] << 24 | (uint32_t)(uint8_t)code[1] << 16 | (uint32_t)(uint8_t)code[2] << 8 |
         (uint32_t)(uint8_t)code[3];
}
