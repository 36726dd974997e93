#pragma once
// Owned, growable, zero-terminated text.

#include <cstdarg>

#include "heapbuf.h"

class WDL_String
{
public:
  // Copies `s` (null counts as ""), at most maxlen characters when maxlen > 0.
  explicit WDL_String(const char* s = nullptr, int maxlen = 0) : m_hb(128) { Set(s, maxlen); }
  WDL_String(const WDL_String& other) : m_hb(128) { Set(other.Get()); }
  WDL_String& operator=(const WDL_String& other)
  {
    if (this != &other) Set(other.Get());
    return *this;
  }

  // The text; "" when empty.
  const char* Get() const;
  // Writable text, or null when no storage is held.
  char* GetMutable() { return static_cast<char*>(m_hb.Get()); }
  // Length in bytes.
  int GetLength() const;

  // Replaces the text with `s`, at most maxlen characters when maxlen > 0.
  void Set(const char* s, int maxlen = 0);
  // Appends `s`, at most maxlen characters when maxlen > 0.
  void Append(const char* s, int maxlen = 0);
  // Inserts `s` (at most maxlen characters when maxlen > 0) before byte pos (clamped).
  void Insert(const char* s, int pos, int maxlen = 0);
  // Removes up to len bytes from pos.
  void DeleteSub(int pos, int len);
  // Cuts to at most n bytes, or pads with spaces to n bytes.
  void SetLen(int n);
  // Replaces the text with printf output of at most maxlen characters.
  void SetFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  // Appends printf output of at most maxlen characters.
  void AppendFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

private:
  void Format(bool append, int maxlen, const char* fmt, va_list ap);
  WDL_HeapBuf m_hb;
};
