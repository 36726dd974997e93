#pragma once
// Reads typed values off the front of a fuzzer's input; past the end every read gives zeros, so
// a target never reads outside the bytes it was handed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class FuzzInput
{
public:
  FuzzInput(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

  // The next sizeof(T) bytes as a T (zero-filled past the end).
  template <class T>
  T Take()
  {
    T value;
    memset(&value, 0, sizeof(T));
    const size_t n = sizeof(T) < Left() ? sizeof(T) : Left();
    if (n) memcpy(&value, mData + mPos, n);
    mPos += n;
    return value;
  }
  // A value in [lo, hi] taken from the next four bytes.
  int TakeInt(int lo, int hi)
  {
    const uint32_t span = (uint32_t)((int64_t)hi - lo + 1);
    return lo + (int)(Take<uint32_t>() % span);
  }
  bool TakeBool() { return (Take<uint8_t>() & 1) != 0; }
  // Up to maxLen of the next bytes, the length taken from one byte first.
  std::vector<uint8_t> TakeBytes(size_t maxLen)
  {
    size_t n = Take<uint16_t>() % (maxLen + 1);
    if (n > Left()) n = Left();
    std::vector<uint8_t> out(mData + mPos, mData + mPos + n);
    mPos += n;
    return out;
  }
  std::string TakeString(size_t maxLen)
  {
    std::vector<uint8_t> b = TakeBytes(maxLen);
    return std::string(b.begin(), b.end());
  }
  // Everything not read yet.
  std::vector<uint8_t> Rest()
  {
    std::vector<uint8_t> out(mData + mPos, mData + mSize);
    mPos = mSize;
    return out;
  }
  size_t Left() const { return mSize - mPos; }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};
