#include "Base64.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of c, or -1 outside the alphabet.
int Sextet(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

bool Base64Encode(const uint8_t* pData, int size, WDL_String* pOut)
{
  if (size <= 0 || !pData) {
    pOut->Set("");
    return true;
  }
  if (size > (INT32_MAX / 4) * 3 - 3) return false;
  const int len = (size + 2) / 3 * 4;
  WDL_String text;
  text.SetLen(len);
  char* p = text.GetMutable();
  if (!p || text.GetLength() != len) return false;
  for (int i = 0; i < size; i += 3) {
    const int n = size - i < 3 ? size - i : 3;
    const uint32_t v =
        (uint32_t)pData[i] << 16 | (n > 1 ? (uint32_t)pData[i + 1] << 8 : 0) | (n > 2 ? pData[i + 2] : 0);
    *p++ = kAlphabet[(v >> 18) & 63];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    *p++ = n > 2 ? kAlphabet[v & 63] : '=';
  }
  *pOut = text;
  return pOut->GetLength() == len;
}

int Base64Decode(const char* text, uint8_t* pOut, int outSize)
{
  int written = 0, bits = 0;
  uint32_t acc = 0;
  for (const char* c = text; c && written < outSize; ++c) {
    const int v = Sextet(*c);
    if (v < 0) break;
    acc = (acc << 6 | (uint32_t)v) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      pOut[written++] = (uint8_t)(acc >> bits);
    }
  }
  return written;
}
