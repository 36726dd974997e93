// Byte buffers: owned copies, caller's bytes without a copy, and growable mutable data.
#include "CFRuntime.h"

#include <cstring>
#include <vector>

struct __CFData : __CFObject
{
  CFTypeID typeID() const override { return cf::kData; }
  bool equals(const __CFObject* other) const override
  {
    const __CFData* o = (const __CFData*)other;
    return size() == o->size() && (size() == 0 || memcmp(bytes(), o->bytes(), (size_t)size()) == 0);
  }
  CFHashCode hash() const override
  {
    CFHashCode h = (CFHashCode)size();
    for (CFIndex i = 0; i < size() && i < 80; i++) h = h * 31 + bytes()[i];
    return h;
  }
  std::string describe() const override
  {
    static const char hex[] = "0123456789abcdef";
    std::string s = "<";
    for (CFIndex i = 0; i < size(); i++) {
      if (i && i % 4 == 0) s += ' ';
      s += hex[bytes()[i] >> 4];
      s += hex[bytes()[i] & 15];
    }
    return s + ">";
  }
  ~__CFData() override
  {
    if (external && deallocator) {
      CFAllocatorDeallocate(deallocator, (void*)external);
      CFRelease(deallocator);
    }
  }
  const UInt8* bytes() const { return external ? external : own.data(); }
  CFIndex size() const { return external ? externalLength : (CFIndex)own.size(); }

  std::vector<UInt8> own;
  const UInt8* external = nullptr;  // bytes not copied (immutable data only)
  CFIndex externalLength = 0;
  CFAllocatorRef deallocator = nullptr;
  bool mut = false;
  CFIndex capacity = 0;
};

namespace {

bool isData(CFDataRef d) { return cf::is(d, cf::kData); }
bool isMutableData(CFDataRef d) { return isData(d) && d->mut; }
bool fits(CFDataRef d, CFIndex newLength) { return newLength >= 0 && (d->capacity == 0 || newLength <= d->capacity); }
bool inside(CFDataRef d, CFRange r)
{
  return r.location >= 0 && r.length >= 0 && r.location <= d->size() && r.length <= d->size() - r.location;
}

}  // namespace

extern "C" {

CFTypeID CFDataGetTypeID(void) { return cf::kData; }

CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  __CFData* d = cf::create<__CFData>(allocator);
  if (d && length) d->own.assign(bytes, bytes + length);
  return d;
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator)
{
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  __CFData* d = cf::create<__CFData>(allocator);
  if (!d) return nullptr;
  d->external = bytes;
  d->externalLength = length;
  if (bytes && bytesDeallocator != kCFAllocatorNull)
    d->deallocator = (CFAllocatorRef)CFRetain(cf::resolve(bytesDeallocator));
  return d;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef theData)
{
  return isData(theData) ? CFDataCreate(allocator, theData->bytes(), theData->size()) : nullptr;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex capacity)
{
  if (capacity < 0) return nullptr;
  __CFData* d = cf::create<__CFData>(allocator);
  if (d) d->mut = true, d->capacity = capacity;
  return d;
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFDataRef theData)
{
  if (!isData(theData) || capacity < 0 || (capacity > 0 && theData->size() > capacity)) return nullptr;
  __CFData* d = cf::create<__CFData>(allocator);
  if (!d) return nullptr;
  d->mut = true;
  d->capacity = capacity;
  d->own.assign(theData->bytes(), theData->bytes() + theData->size());
  return d;
}

CFIndex CFDataGetLength(CFDataRef theData) { return isData(theData) ? theData->size() : 0; }

const UInt8* CFDataGetBytePtr(CFDataRef theData)
{
  return isData(theData) && theData->size() > 0 ? theData->bytes() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData)
{
  return isMutableData(theData) && !theData->own.empty() ? theData->own.data() : nullptr;
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer)
{
  if (isData(theData) && buffer && inside(theData, range) && range.length > 0)
    memcpy(buffer, theData->bytes() + range.location, (size_t)range.length);
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length)
{
  if (isMutableData(theData) && fits(theData, length)) theData->own.resize((size_t)length, 0);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength)
{
  if (isMutableData(theData) && extraLength >= 0) CFDataSetLength(theData, theData->size() + extraLength);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length)
{
  if (!isMutableData(theData) || length <= 0 || !bytes || !fits(theData, theData->size() + length)) return;
  theData->own.insert(theData->own.end(), bytes, bytes + length);
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes, CFIndex newLength)
{
  if (!isMutableData(theData) || !inside(theData, range) || newLength < 0 || (!newBytes && newLength > 0) ||
      !fits(theData, theData->size() - range.length + newLength))
    return;
  std::vector<UInt8>& v = theData->own;
  std::vector<UInt8> repl(newBytes, newBytes + newLength);  // newBytes may point into the data itself
  v.erase(v.begin() + range.location, v.begin() + range.location + range.length);
  v.insert(v.begin() + range.location, repl.begin(), repl.end());
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) { CFDataReplaceBytes(theData, range, nullptr, 0); }

}  // extern "C"
