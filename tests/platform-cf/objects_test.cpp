// Retain counting, allocators, numbers, data, arrays with custom callbacks and dictionaries.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct AllocCounts
{
  int allocs = 0, frees = 0, released = 0;
};

void* countAlloc(CFIndex size, CFOptionFlags, void* info)
{
  ((AllocCounts*)info)->allocs++;
  return malloc((size_t)size);
}
void countFree(void* p, void* info)
{
  ((AllocCounts*)info)->frees++;
  free(p);
}
void countRelease(const void* info) { ((AllocCounts*)info)->released++; }

CFAllocatorRef countingAllocator(AllocCounts* counts)
{
  CFAllocatorContext ctx = {0, counts, nullptr, countRelease, nullptr, countAlloc, nullptr, countFree, nullptr};
  return CFAllocatorCreate(kCFAllocatorDefault, &ctx);
}

TEST(CFObjects, EveryTypeIsCountedAndFreedThroughItsAllocator)
{
  AllocCounts counts;
  CFAllocatorRef a = countingAllocator(&counts);
  ASSERT_NE(a, nullptr);
  SInt32 three = 3;
  const UInt8 bytes[] = {1, 2, 3};
  std::vector<std::function<CFTypeRef()>> makers = {
      [&] { return (CFTypeRef)CFStringCreateWithCString(a, "text", kCFStringEncodingUTF8); },
      [&] { return (CFTypeRef)CFNumberCreate(a, kCFNumberSInt32Type, &three); },
      [&] { return (CFTypeRef)CFDataCreate(a, bytes, 3); },
      [&] { return (CFTypeRef)CFArrayCreateMutable(a, 0, &kCFTypeArrayCallBacks); },
      [&] {
        return (CFTypeRef)CFDictionaryCreateMutable(a, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks);
      },
      [&] { return (CFTypeRef)CFURLCreateWithFileSystemPath(a, CFSTR("/tmp/x"), kCFURLPOSIXPathStyle, false); },
  };
  for (size_t i = 0; i < makers.size(); i++) {
    int before = counts.allocs;
    CFTypeRef obj = makers[i]();
    ASSERT_NE(obj, nullptr) << i;
    EXPECT_GT(counts.allocs, before) << i;
    EXPECT_EQ(CFGetAllocator(obj), a) << i;
    EXPECT_EQ(CFGetRetainCount(obj), 1) << i;
    EXPECT_EQ(CFRetain(obj), obj);
    EXPECT_EQ(CFGetRetainCount(obj), 2) << i;
    CFRelease(obj);
    EXPECT_EQ(CFGetRetainCount(obj), 1) << i;
    CFRelease(obj);
  }
  EXPECT_EQ(counts.allocs, counts.frees);  // the allocator itself came from the default one
  EXPECT_EQ(counts.released, 0);
  CFRelease(a);
  EXPECT_EQ(counts.released, 1);
}

TEST(CFObjects, AllocatorLivingInItsOwnMemory)
{
  AllocCounts counts;
  CFAllocatorContext ctx = {0, &counts, nullptr, countRelease, nullptr, countAlloc, nullptr, countFree, nullptr};
  CFAllocatorRef a = CFAllocatorCreate(kCFAllocatorUseContext, &ctx);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(counts.allocs, 1);
  CFDataRef d = CFDataCreate(a, (const UInt8*)"x", 1);
  CFRelease(a);  // the data still holds the allocator
  EXPECT_EQ(counts.frees, 0);
  CFRelease(d);
  EXPECT_EQ(counts.allocs, 2);
  EXPECT_EQ(counts.frees, 2);
  EXPECT_EQ(counts.released, 1);
}

TEST(CFObjects, AllocatorEdgesAndNullArguments)
{
  EXPECT_EQ(CFAllocatorAllocate(kCFAllocatorDefault, 0, 0), nullptr);
  EXPECT_EQ(CFAllocatorAllocate(kCFAllocatorNull, 16, 0), nullptr);
  CFAllocatorContext noAllocate = {};
  EXPECT_EQ(CFAllocatorCreate(nullptr, &noAllocate), nullptr);
  EXPECT_EQ(CFRetain(nullptr), nullptr);
  CFRelease(nullptr);
  EXPECT_EQ(CFGetRetainCount(nullptr), 0);
  EXPECT_FALSE(CFEqual(nullptr, CFSTR("a")));
  void* p = CFAllocatorReallocate(nullptr, nullptr, 8, 0);
  ASSERT_NE(p, nullptr);
  p = CFAllocatorReallocate(nullptr, p, 64, 0);
  EXPECT_EQ(CFAllocatorReallocate(nullptr, p, 0, 0), nullptr);  // frees
}

TEST(CFObjects, ConstantsIgnoreRetainAndRelease)
{
  CFTypeRef constants[] = {CFSTR("constant"), kCFBooleanTrue, kCFBooleanFalse, kCFNull};
  for (CFTypeRef c : constants) {
    CFIndex rc = CFGetRetainCount(c);
    CFRelease(c);
    CFRelease(c);
    EXPECT_EQ(CFGetRetainCount(c), rc);
  }
  EXPECT_EQ(CFSTR("constant"), CFSTR("constant"));
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
  EXPECT_EQ(CFGetTypeID(kCFNull), CFNullGetTypeID());
}

TEST(CFNumbers, ConversionsReportLoss)
{
  struct Case
  {
    const char* name;
    CFNumberType fromType;
    double from;  // stored through the matching C type
    CFNumberType toType;
    double expect;
    bool exact;
  };
  const Case cases[] = {
      {"int to int", kCFNumberSInt32Type, 42, kCFNumberSInt32Type, 42, true},
      {"float truncates", kCFNumberFloat64Type, 3.7, kCFNumberSInt32Type, 3, false},
      {"negative truncates toward zero", kCFNumberFloat64Type, -3.7, kCFNumberSInt64Type, -3, false},
      {"saturates SInt8", kCFNumberSInt32Type, 300, kCFNumberSInt8Type, 127, false},
      {"saturates SInt16 low", kCFNumberSInt32Type, -40000, kCFNumberSInt16Type, -32768, false},
      {"int to double", kCFNumberSInt32Type, -7, kCFNumberFloat64Type, -7, true},
      {"double to float lossy", kCFNumberFloat64Type, 0.1, kCFNumberFloat32Type, (double)0.1f, false},
      {"double to float exact", kCFNumberFloat64Type, 0.5, kCFNumberFloat32Type, 0.5, true},
      {"integral double to int", kCFNumberDoubleType, 65536, kCFNumberIntType, 65536, true},
  };
  for (const Case& c : cases) {
    SInt32 i32 = (SInt32)c.from;
    double f64 = c.from;
    CFNumberRef n = CFNumberCreate(nullptr, c.fromType, c.fromType == kCFNumberSInt32Type ? (const void*)&i32 : &f64);
    ASSERT_NE(n, nullptr) << c.name;
    double got = 0;
    bool exact;
    switch (c.toType) {
      case kCFNumberSInt8Type: {
        SInt8 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = v;
        break;
      }
      case kCFNumberSInt16Type: {
        SInt16 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = v;
        break;
      }
      case kCFNumberSInt32Type:
      case kCFNumberIntType: {
        SInt32 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = v;
        break;
      }
      case kCFNumberSInt64Type: {
        SInt64 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = (double)v;
        break;
      }
      case kCFNumberFloat32Type: {
        Float32 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = v;
        break;
      }
      default: {
        Float64 v;
        exact = CFNumberGetValue(n, c.toType, &v);
        got = v;
        break;
      }
    }
    EXPECT_EQ(got, c.expect) << c.name;
    EXPECT_EQ(exact, c.exact) << c.name;
    CFRelease(n);
  }
}

TEST(CFNumbers, EqualityAcrossTypesAndUnknownTypes)
{
  SInt32 three = 3;
  double threeD = 3.0, half = 3.5;
  CFNumberRef a = CFNumberCreate(nullptr, kCFNumberSInt32Type, &three);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberFloat64Type, &threeD);
  CFNumberRef c = CFNumberCreate(nullptr, kCFNumberFloat64Type, &half);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_FALSE(CFEqual(a, c));
  EXPECT_EQ(CFNumberCompare(a, c, nullptr), kCFCompareLessThan);
  EXPECT_EQ(CFNumberGetType(a), kCFNumberSInt32Type);
  EXPECT_TRUE(CFNumberIsFloatType(c));
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &three), nullptr);
  EXPECT_FALSE(CFNumberGetValue(a, 99, &three));
  CFRelease(a);
  CFRelease(b);
  CFRelease(c);
}

TEST(CFData, MutationsAndRefusedRanges)
{
  CFMutableDataRef d = CFDataCreateMutable(nullptr, 0);
  const UInt8 abc[] = {'a', 'b', 'c'};
  CFDataAppendBytes(d, abc, 3);
  CFDataReplaceBytes(d, CFRangeMake(1, 1), (const UInt8*)"XYZ", 3);
  ASSERT_EQ(CFDataGetLength(d), 5);
  EXPECT_EQ(std::string((const char*)CFDataGetBytePtr(d), 5), "aXYZc");
  CFDataDeleteBytes(d, CFRangeMake(0, 2));
  EXPECT_EQ(std::string((const char*)CFDataGetBytePtr(d), 3), "YZc");
  CFDataReplaceBytes(d, CFRangeMake(2, 5), abc, 3);  // past the end: refused
  CFDataDeleteBytes(d, CFRangeMake(-1, 1));
  EXPECT_EQ(CFDataGetLength(d), 3);
  CFDataIncreaseLength(d, 2);
  EXPECT_EQ(CFDataGetBytePtr(d)[4], 0);
  UInt8 out[2] = {9, 9};
  CFDataGetBytes(d, CFRangeMake(4, 2), out);  // outside: nothing copied
  EXPECT_EQ(out[0], 9);
  CFRelease(d);

  CFMutableDataRef bounded = CFDataCreateMutable(nullptr, 2);
  CFDataAppendBytes(bounded, abc, 3);
  EXPECT_EQ(CFDataGetLength(bounded), 0);
  CFRelease(bounded);
  EXPECT_EQ(CFDataCreate(nullptr, abc, -1), nullptr);
}

struct CallbackLog
{
  int retains = 0, releases = 0, equals = 0, descriptions = 0;
};
CallbackLog gLog;

const void* logRetain(CFAllocatorRef, const void* v)
{
  gLog.retains++;
  return v;
}
void logRelease(CFAllocatorRef, const void*) { gLog.releases++; }
CFStringRef logDescribe(const void* v)
{
  gLog.descriptions++;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("item %ld"), (long)(intptr_t)v);
}
Boolean logEqual(const void* a, const void* b)
{
  gLog.equals++;
  return (intptr_t)a % 10 == (intptr_t)b % 10;  // equal when the last digit matches
}

TEST(CFArray, CustomCallbacksAreHonoured)
{
  gLog = {};
  CFArrayCallBacks cb = {0, logRetain, logRelease, logDescribe, logEqual};
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 3, &cb);
  for (intptr_t v : {11, 22, 33, 44}) CFArrayAppendValue(a, (const void*)v);
  EXPECT_EQ(CFArrayGetCount(a), 3);  // capacity 3: the fourth append is refused
  EXPECT_EQ(gLog.retains, 3);
  EXPECT_TRUE(CFArrayContainsValue(a, CFRangeMake(0, 3), (const void*)21));  // equal by last digit
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(a, CFRangeMake(0, 3), (const void*)3), 2);
  EXPECT_GT(gLog.equals, 0);
  CFArraySetValueAtIndex(a, 0, (const void*)55);
  EXPECT_EQ(gLog.retains, 4);
  EXPECT_EQ(gLog.releases, 1);
  CFArrayRemoveValueAtIndex(a, 9);  // outside: refused
  CFArrayRemoveValueAtIndex(a, 1);
  EXPECT_EQ(gLog.releases, 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(a, 5), nullptr);
  CFStringRef d = CFCopyDescription(a);
  EXPECT_STREQ(CFStringGetCStringPtr(d, kCFStringEncodingUTF8), "(\n    item 55,\n    item 33\n)");
  EXPECT_EQ(gLog.descriptions, 2);
  CFRelease(d);
  CFArrayRef copy = CFArrayCreateCopy(nullptr, a);
  EXPECT_EQ(gLog.retains, 6);
  EXPECT_TRUE(CFEqual(copy, a));
  CFRelease(copy);
  CFRelease(a);
  EXPECT_EQ(gLog.retains, gLog.releases);
}

TEST(CFArray, TypeCallbacksRetainElements)
{
  CFStringRef s = CFStringCreateWithCString(nullptr, "element", kCFStringEncodingUTF8);
  const void* values[] = {s, s};
  CFArrayRef a = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
  EXPECT_EQ(CFGetRetainCount(s), 3);
  CFMutableArrayRef m = CFArrayCreateMutableCopy(nullptr, 0, a);
  CFArrayAppendArray(m, a, CFRangeMake(0, 2));
  EXPECT_EQ(CFArrayGetCount(m), 4);
  EXPECT_EQ(CFGetRetainCount(s), 7);
  CFArrayRemoveAllValues(m);
  EXPECT_EQ(CFGetRetainCount(s), 3);
  CFRelease(m);
  CFRelease(a);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
}

TEST(CFDictionary, TypeCallbacksCompareKeysByContent)
{
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(nullptr, "name", kCFStringEncodingUTF8);
  CFStringRef v1 = CFStringCreateWithCString(nullptr, "one", kCFStringEncodingUTF8);
  CFStringRef v2 = CFStringCreateWithCString(nullptr, "two", kCFStringEncodingUTF8);
  CFDictionarySetValue(d, key, v1);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFGetRetainCount(v1), 2);
  EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("name")), v1);  // a different object with the same text

  struct Step
  {
    const char* op;
    CFStringRef value;
    CFStringRef expect;
  };
  const Step steps[] = {{"add", v2, v1}, {"replace", v2, v2}, {"set", v1, v1}};
  for (const Step& s : steps) {
    if (std::string(s.op) == "add") CFDictionaryAddValue(d, CFSTR("name"), s.value);
    if (std::string(s.op) == "replace") CFDictionaryReplaceValue(d, CFSTR("name"), s.value);
    if (std::string(s.op) == "set") CFDictionarySetValue(d, CFSTR("name"), s.value);
    EXPECT_EQ(CFDictionaryGetValue(d, key), s.expect) << s.op;
  }
  CFDictionaryReplaceValue(d, CFSTR("absent"), v2);  // replace never adds
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  CFDictionaryAddValue(d, CFSTR("second"), v2);
  const void* keys[2];
  const void* values[2];
  CFDictionaryGetKeysAndValues(d, keys, values);
  EXPECT_TRUE(CFEqual(keys[0], CFSTR("name")));
  EXPECT_EQ(values[1], v2);
  const void* found = nullptr;
  EXPECT_TRUE(CFDictionaryGetValueIfPresent(d, CFSTR("second"), &found));
  EXPECT_EQ(found, v2);
  EXPECT_FALSE(CFDictionaryGetValueIfPresent(d, CFSTR("third"), &found));

  CFDictionaryRef copy = CFDictionaryCreateCopy(nullptr, d);
  EXPECT_TRUE(CFEqual(copy, d));
  CFDictionaryRemoveValue(d, CFSTR("name"));
  EXPECT_FALSE(CFEqual(copy, d));
  EXPECT_FALSE(CFDictionaryContainsKey(d, key));
  CFRelease(copy);
  CFRelease(d);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(v1), 1);
  EXPECT_EQ(CFGetRetainCount(v2), 1);
  CFRelease(key);
  CFRelease(v1);
  CFRelease(v2);
}

TEST(CFDictionary, NullCallbacksUseIdentityAndCapacityBounds)
{
  static char a[] = "a", a2[] = "a";
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 1, nullptr, nullptr);
  CFDictionarySetValue(d, a, (const void*)1);
  CFDictionarySetValue(d, a2, (const void*)2);  // a new key beyond the capacity of 1
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  EXPECT_EQ(CFDictionaryGetValue(d, a), (const void*)1);
  EXPECT_EQ(CFDictionaryGetValue(d, a2), nullptr);
  CFRelease(d);
}

}  // namespace
