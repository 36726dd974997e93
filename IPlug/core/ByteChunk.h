#pragma once
// The growable byte buffer that state travels in: values back to back in the machine's
// (little-endian) representation, no tags, no padding. Readers carry a byte position; -1 means
// the data ran out and every later read does nothing.

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "base/heapbuf.h"
#include "base/wdlstring.h"

class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  // Appends the raw bytes of a fixed-width value; returns the new size, or 0 when storage failed
  // (then nothing is appended).
  template <class T>
  int AppendValue(const T& value)
  {
    static_assert(std::is_trivially_copyable<T>::value && !std::is_pointer<T>::value, "plain values only");
    return AppendBytes(&value, (int)sizeof(T));
  }
  // Appends an int32 length and the characters without terminator; null counts as "".
  int AppendString(const char* str);
  int AppendString(const WDL_String& str) { return AppendString(str.Get()); }
  // Appends every byte of another chunk.
  int AppendChunk(const ByteChunk* pOther) { return AppendBytes(pOther->GetBytes(), pOther->Size()); }
  // Appends n bytes from p; returns the new size, or 0 when storage failed.
  int AppendBytes(const void* p, int n);

  // Copies the value at pos into *pValue and returns pos + its width; -1 (value untouched) when it
  // does not lie inside the chunk.
  template <class T>
  int ReadValue(T* pValue, int pos) const
  {
    static_assert(std::is_trivially_copyable<T>::value && !std::is_pointer<T>::value, "plain values only");
    if (pos < 0 || (int64_t)pos + (int64_t)sizeof(T) > (int64_t)Size()) return -1;
    memcpy(pValue, GetBytes() + pos, sizeof(T));
    return pos + (int)sizeof(T);
  }
  // Reads an int32 length L and L characters (cut at a zero byte); returns the position after them,
  // or -1 with *pStr unchanged when they do not lie inside the chunk.
  int ReadString(WDL_String* pStr, int pos) const;

  void Clear() { mBytes.Resize(0, false); }
  // Sets the size; bytes gained are zero. Returns the new size (the old one when storage failed).
  int Resize(int newSize);
  int Size() const { return mBytes.GetSize(); }
  // The first byte, or null when the chunk is empty.
  uint8_t* GetBytes() { return static_cast<uint8_t*>(mBytes.Get()); }
  const uint8_t* GetBytes() const { return static_cast<const uint8_t*>(mBytes.Get()); }
  // Same size and bytes.
  bool IsEqual(const ByteChunk& other) const
  {
    return Size() == other.Size() && (Size() == 0 || memcmp(GetBytes(), other.GetBytes(), (size_t)Size()) == 0);
  }

private:
  WDL_HeapBuf mBytes;
};
