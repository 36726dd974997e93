// Numbers (an integer or a double with the type they were made with) and the two booleans.
#include "CFRuntime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

struct __CFNumber : __CFObject
{
  CFTypeID typeID() const override { return cf::kNumber; }
  bool equals(const __CFObject* other) const override;
  CFHashCode hash() const override
  {
    if (!isFloat) return (CFHashCode)i;
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18) return (CFHashCode)(SInt64)d;
    CFHashCode h;
    memcpy(&h, &d, sizeof h);
    return h;
  }
  std::string describe() const override
  {
    char buf[40];
    if (!isFloat) {
      snprintf(buf, sizeof buf, "%lld", (long long)i);
    } else if (type == kCFNumberFloat32Type) {  // the shortest text that reads back as the same float
      snprintf(buf, sizeof buf, "%.6g", d);
      if (strtof(buf, nullptr) != (float)d) snprintf(buf, sizeof buf, "%.9g", d);
    } else {
      snprintf(buf, sizeof buf, "%.15g", d);
      if (strtod(buf, nullptr) != d) snprintf(buf, sizeof buf, "%.17g", d);
    }
    return buf;
  }

  CFNumberType type = kCFNumberSInt32Type;  // the sized type
  bool isFloat = false;
  SInt64 i = 0;
  double d = 0;
};

struct __CFBoolean : __CFObject
{
  explicit __CFBoolean(bool v) : __CFObject(true), value(v) {}
  CFTypeID typeID() const override { return cf::kBoolean; }
  CFHashCode hash() const override { return value; }
  std::string describe() const override { return value ? "true" : "false"; }
  bool value;
};

namespace {

__CFBoolean gTrue(true), gFalse(false);

// The sized type of every number type, and its byte size; 0 for unknown types.
CFNumberType sizedType(CFNumberType t)
{
  switch (t) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return kCFNumberSInt8Type;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return kCFNumberSInt16Type;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return kCFNumberSInt32Type;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
      return kCFNumberSInt64Type;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      return kCFNumberFloat32Type;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
      return kCFNumberFloat64Type;
    default:
      return 0;
  }
}

CFIndex byteSize(CFNumberType sized)
{
  switch (sized) {
    case kCFNumberSInt8Type:
      return 1;
    case kCFNumberSInt16Type:
      return 2;
    case kCFNumberSInt32Type:
    case kCFNumberFloat32Type:
      return 4;
    default:
      return 8;
  }
}

// Saturates an integer into [lo, hi]; exact tells whether nothing was lost.
template <class T>
T narrow(SInt64 v, bool& exact)
{
  if (v < (SInt64)std::numeric_limits<T>::min()) return exact = false, std::numeric_limits<T>::min();
  if (v > (SInt64)std::numeric_limits<T>::max()) return exact = false, std::numeric_limits<T>::max();
  return (T)v;
}

// An integer from a double: truncated toward zero and saturated.
SInt64 toInt(double d, bool& exact)
{
  if (std::isnan(d)) return exact = false, 0;
  if (d >= 9223372036854775807.0) return exact = false, std::numeric_limits<SInt64>::max();
  if (d < -9223372036854775808.0) return exact = false, std::numeric_limits<SInt64>::min();
  SInt64 v = (SInt64)d;
  if ((double)v != d) exact = false;
  return v;
}

}  // namespace

bool __CFNumber::equals(const __CFObject* other) const
{
  return CFNumberCompare(this, (const __CFNumber*)other, nullptr) == kCFCompareEqualTo;
}

const CFBooleanRef kCFBooleanTrue = &gTrue;
const CFBooleanRef kCFBooleanFalse = &gFalse;

extern "C" {

CFTypeID CFBooleanGetTypeID(void) { return cf::kBoolean; }
Boolean CFBooleanGetValue(CFBooleanRef boolean) { return cf::is(boolean, cf::kBoolean) && boolean->value; }

CFTypeID CFNumberGetTypeID(void) { return cf::kNumber; }

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr)
{
  CFNumberType sized = sizedType(theType);
  if (!sized || !valuePtr) return nullptr;
  __CFNumber* n = cf::create<__CFNumber>(allocator);
  if (!n) return nullptr;
  n->type = sized;
  switch (theType) {
    case kCFNumberSInt8Type:
      n->i = *(const SInt8*)valuePtr;
      break;
    case kCFNumberCharType:
      n->i = *(const char*)valuePtr;
      break;
    case kCFNumberSInt16Type:
      n->i = *(const SInt16*)valuePtr;
      break;
    case kCFNumberShortType:
      n->i = *(const short*)valuePtr;
      break;
    case kCFNumberSInt32Type:
      n->i = *(const SInt32*)valuePtr;
      break;
    case kCFNumberIntType:
      n->i = *(const int*)valuePtr;
      break;
    case kCFNumberSInt64Type:
      n->i = *(const SInt64*)valuePtr;
      break;
    case kCFNumberLongType:
      n->i = *(const long*)valuePtr;
      break;
    case kCFNumberLongLongType:
      n->i = *(const long long*)valuePtr;
      break;
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
      n->i = *(const CFIndex*)valuePtr;
      break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      n->isFloat = true, n->d = *(const float*)valuePtr;
      break;
    default:
      n->isFloat = true, n->d = *(const double*)valuePtr;
      break;
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number) { return cf::is(number, cf::kNumber) ? number->type : 0; }

CFIndex CFNumberGetByteSize(CFNumberRef number) { return cf::is(number, cf::kNumber) ? byteSize(number->type) : 0; }

Boolean CFNumberIsFloatType(CFNumberRef number) { return cf::is(number, cf::kNumber) && number->isFloat; }

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
  CFNumberType sized = sizedType(theType);
  if (!cf::is(number, cf::kNumber) || !sized || !valuePtr) return false;
  bool exact = true;
  if (sized == kCFNumberFloat32Type || sized == kCFNumberFloat64Type) {
    double d = number->isFloat ? number->d : (double)number->i;
    if (!number->isFloat && (SInt64)d != number->i) exact = false;
    if (sized == kCFNumberFloat32Type) {
      float f = (float)d;
      if ((double)f != d && !std::isnan(d)) exact = false;
      *(float*)valuePtr = f;
    } else {
      *(double*)valuePtr = d;
    }
    return exact;
  }
  SInt64 v = number->isFloat ? toInt(number->d, exact) : number->i;
  switch (sized) {
    case kCFNumberSInt8Type:
      *(SInt8*)valuePtr = narrow<SInt8>(v, exact);
      break;
    case kCFNumberSInt16Type:
      *(SInt16*)valuePtr = narrow<SInt16>(v, exact);
      break;
    case kCFNumberSInt32Type:
      *(SInt32*)valuePtr = narrow<SInt32>(v, exact);
      break;
    default:
      *(SInt64*)valuePtr = v;
      break;
  }
  return exact;
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*)
{
  if (!cf::is(number, cf::kNumber) || !cf::is(otherNumber, cf::kNumber)) return kCFCompareEqualTo;
  if (!number->isFloat && !otherNumber->isFloat)
    return number->i < otherNumber->i   ? kCFCompareLessThan
           : number->i > otherNumber->i ? kCFCompareGreaterThan
                                        : kCFCompareEqualTo;
  double a = number->isFloat ? number->d : (double)number->i;
  double b = otherNumber->isFloat ? otherNumber->d : (double)otherNumber->i;
  if (std::isnan(a) || std::isnan(b))  // NaN orders below every number and equals itself
    return std::isnan(a) && std::isnan(b) ? kCFCompareEqualTo
           : std::isnan(a)                ? kCFCompareLessThan
                                          : kCFCompareGreaterThan;
  return a < b ? kCFCompareLessThan : a > b ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

}  // extern "C"
