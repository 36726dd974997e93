#include "ByteChunk.h"

int ByteChunk::AppendBytes(const void* p, int n)
{
  const int old = Size();
  if (n <= 0) return old;
  if ((int64_t)old + n > INT32_MAX) return 0;
  mBytes.Resize(old + n, false);
  if (Size() != old + n) return 0;
  memcpy(GetBytes() + old, p, (size_t)n);
  return old + n;
}

int ByteChunk::AppendString(const char* str)
{
  const int len = str ? (int)strlen(str) : 0;
  const int old = Size();
  if (!AppendValue(len)) return 0;
  if (len > 0 && !AppendBytes(str, len)) {
    mBytes.Resize(old, false);
    return 0;
  }
  return Size();
}

int ByteChunk::ReadString(WDL_String* pStr, int pos) const
{
  int len;
  const int dataPos = ReadValue(&len, pos);
  // A negative length is corrupt data, refused like data that runs out.
  if (dataPos < 0 || len < 0 || (int64_t)dataPos + len > (int64_t)Size()) return -1;
  if (len == 0)
    pStr->Set("");
  else
    pStr->Set((const char*)GetBytes() + dataPos, len);
  return dataPos + len;
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0) newSize = 0;
  const int old = Size();
  mBytes.Resize(newSize, false);
  if (Size() != newSize) return old;
  if (newSize > old) memset(GetBytes() + old, 0, (size_t)(newSize - old));
  return newSize;
}
