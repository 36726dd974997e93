#pragma once
// Copying into fixed-size text fields.

#include <cstring>

// Copies src (null counts as "") into dst of capacity characters, cut to capacity - 1 and always
// terminated.
inline void CopyText(char* dst, int capacity, const char* src)
{
  if (capacity <= 0) return;
  size_t n = src ? strnlen(src, (size_t)capacity - 1) : 0;
  if (n) memcpy(dst, src, n);
  dst[n] = '\0';
}
