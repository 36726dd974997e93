#include "wdlstring.h"

#include <cstdio>
#include <cstring>

const char* WDL_String::Get() const
{
  const char* p = static_cast<const char*>(m_hb.Get());
  return p ? p : "";
}

int WDL_String::GetLength() const { return (int)std::strlen(Get()); }

namespace {
int Clip(const char* s, int maxlen)
{
  if (!s) return 0;
  if (maxlen > 0) {
    const void* z = std::memchr(s, 0, (size_t)maxlen);
    return z ? (int)((const char*)z - s) : maxlen;
  }
  return (int)std::strlen(s);
}
}  // namespace

void WDL_String::Set(const char* s, int maxlen)
{
  const int n = Clip(s, maxlen);
  if (n == 0) {
    m_hb.Resize(0, true);
    return;
  }
  // s may point into our own storage: build the new text beside it, then swap.
  WDL_HeapBuf next(128);
  char* p = static_cast<char*>(next.Resize(n + 1, false));
  if (!p) return;
  std::memcpy(p, s, (size_t)n);
  p[n] = 0;
  m_hb.Swap(next);
}

void WDL_String::Append(const char* s, int maxlen) { Insert(s, GetLength(), maxlen); }

void WDL_String::Insert(const char* s, int pos, int maxlen)
{
  const int add = Clip(s, maxlen);
  if (add == 0) return;
  const int len = GetLength();
  if (pos < 0) pos = 0;
  if (pos > len) pos = len;
  WDL_HeapBuf next(128);
  char* p = static_cast<char*>(next.Resize(len + add + 1, false));
  if (!p) return;
  const char* old = Get();
  std::memcpy(p, old, (size_t)pos);
  std::memcpy(p + pos, s, (size_t)add);
  std::memcpy(p + pos + add, old + pos, (size_t)(len - pos));
  p[len + add] = 0;
  m_hb.Swap(next);
}

void WDL_String::DeleteSub(int pos, int len)
{
  const int n = GetLength();
  if (pos < 0 || pos >= n || len <= 0) return;
  if (len > n - pos) len = n - pos;
  char* p = GetMutable();
  std::memmove(p + pos, p + pos + len, (size_t)(n - pos - len + 1));
  m_hb.Resize(n - len + 1, false);
}

void WDL_String::SetLen(int n)
{
  if (n < 0) n = 0;
  const int len = GetLength();
  if (n == 0) {
    m_hb.Resize(0, true);
    return;
  }
  if (!m_hb.Resize(n + 1, false) || m_hb.GetSize() != n + 1) return;
  char* p = GetMutable();
  if (n > len) std::memset(p + len, ' ', (size_t)(n - len));
  p[n] = 0;
}

void WDL_String::Format(bool append, int maxlen, const char* fmt, va_list ap)
{
  if (maxlen <= 0) maxlen = 4096;
  WDL_HeapBuf tmp(128);
  char* p = static_cast<char*>(tmp.Resize(maxlen + 1, false));
  if (!p) return;
  std::vsnprintf(p, (size_t)maxlen + 1, fmt, ap);
  if (append)
    Append(p);
  else
    Set(p);
}

void WDL_String::SetFormatted(int maxlen, const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  Format(false, maxlen, fmt, ap);
  va_end(ap);
}

void WDL_String::AppendFormatted(int maxlen, const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  Format(true, maxlen, fmt, ap);
  va_end(ap);
}
