// Dates and the clock.
#include "CFRuntime.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/time.h>

struct __CFDate : __CFObject
{
  explicit __CFDate(CFAbsoluteTime t) : at(t) {}
  CFTypeID typeID() const override { return cf::kDate; }
  bool equals(const __CFObject* other) const override { return at == ((const __CFDate*)other)->at; }
  CFHashCode hash() const override { return (CFHashCode)(SInt64)at; }
  std::string describe() const override
  {
    time_t unixTime = (time_t)std::floor(at + kCFAbsoluteTimeIntervalSince1970);
    struct tm utc;
    char buf[64];
    if (!gmtime_r(&unixTime, &utc) || !strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &utc)) return "<CFDate>";
    return buf;
  }
  CFAbsoluteTime at;
};

const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;
const CFTimeInterval kCFAbsoluteTimeIntervalSince1904 = 3061152000.0;

extern "C" {

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void)
{
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return (double)tv.tv_sec - kCFAbsoluteTimeIntervalSince1970 + tv.tv_usec * 1e-6;
}

CFTypeID CFDateGetTypeID(void) { return cf::kDate; }

CFDateRef CFDateCreate(CFAllocatorRef allocator, CFAbsoluteTime at)
{
  return std::isfinite(at) ? cf::create<__CFDate>(allocator, at) : nullptr;
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) { return cf::is(theDate, cf::kDate) ? theDate->at : 0; }

CFTimeInterval CFDateGetTimeIntervalSinceDate(CFDateRef theDate, CFDateRef otherDate)
{
  return CFDateGetAbsoluteTime(theDate) - CFDateGetAbsoluteTime(otherDate);
}

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void*)
{
  double a = CFDateGetAbsoluteTime(theDate), b = CFDateGetAbsoluteTime(otherDate);
  return a < b ? kCFCompareLessThan : a > b ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

}  // extern "C"
