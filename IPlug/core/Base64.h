#pragma once
// Base64 text of byte blocks (standard alphabet, "=" padding, no line breaks), for preset source text.

#include <cstdint>

#include "base/wdlstring.h"

// Sets *pOut to the Base64 text of size bytes; an empty block gives "". False when memory ran out.
bool Base64Encode(const uint8_t* pData, int size, WDL_String* pOut);
// Decodes text into at most outSize bytes, stopping at the first character outside the alphabet
// (padding, terminator or anything else) or when the buffer is full; returns the bytes written.
int Base64Decode(const char* text, uint8_t* pOut, int outSize);
