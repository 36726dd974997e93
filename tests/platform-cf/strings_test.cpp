// Strings (encodings, comparison, formats), URLs, alerts and run loops.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string text(CFStringRef s)
{
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "<null>";
}

// Owns a string made by a test.
struct Str
{
  explicit Str(CFStringRef s) : ref(s) {}
  ~Str() { CFRelease(ref); }
  CFStringRef ref;
};

TEST(CFString, Utf8RoundTripAndLengthInUtf16Units)
{
  const char* grusse =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x8E\xB8";  // umlaut, sharp s, euro, a guitar (surrogate pair)
  Str s(CFStringCreateWithCString(nullptr, grusse, kCFStringEncodingUTF8));
  ASSERT_NE(s.ref, nullptr);
  EXPECT_EQ(CFStringGetLength(s.ref), 10);
  EXPECT_EQ(CFStringGetCharacterAtIndex(s.ref, 2), 0xFC);
  EXPECT_EQ(CFStringGetCharacterAtIndex(s.ref, 8), 0xD83C);
  char buf[64];
  ASSERT_TRUE(CFStringGetCString(s.ref, buf, sizeof buf, kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, grusse);
  EXPECT_STREQ(CFStringGetCStringPtr(s.ref, kCFStringEncodingUTF8), grusse);
  EXPECT_EQ(CFStringGetCStringPtr(s.ref, kCFStringEncodingASCII), nullptr);
  EXPECT_LE((CFIndex)strlen(grusse),
            CFStringGetMaximumSizeForEncoding(CFStringGetLength(s.ref), kCFStringEncodingUTF8));

  // Too small a buffer, or an encoding that cannot hold the text: false and an empty buffer.
  char small[5] = "xxxx";
  EXPECT_FALSE(CFStringGetCString(s.ref, small, sizeof small, kCFStringEncodingUTF8));
  EXPECT_STREQ(small, "");
  EXPECT_FALSE(CFStringGetCString(s.ref, buf, sizeof buf, kCFStringEncodingASCII));
  EXPECT_FALSE(CFStringGetCString(CFSTR("exact"), small, sizeof small, kCFStringEncodingASCII));  // needs 6 bytes
  char six[6];
  EXPECT_TRUE(CFStringGetCString(CFSTR("exact"), six, 6, kCFStringEncodingASCII));
}

TEST(CFString, MalformedInputIsRefused)
{
  const char* bad[] = {"\xC3",
                       "\xC3\x28",
                       "\xE2\x82",
                       "\xED\xA0\x80" /* encoded surrogate */,
                       "\xC0\xAF" /* overlong */,
                       "\xF8\x88\x80\x80\x80"};
  for (const char* b : bad) EXPECT_EQ(CFStringCreateWithCString(nullptr, b, kCFStringEncodingUTF8), nullptr) << b;
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingASCII), nullptr);
  Str latin(CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingISOLatin1));
  EXPECT_EQ(text(latin.ref), "caf\xC3\xA9");
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringGetLength(nullptr), 0);
}

TEST(CFString, CompareFindAndAffixes)
{
  struct Case
  {
    const char *a, *b;
    CFStringCompareFlags flags;
    CFComparisonResult expect;
  };
  const Case cases[] = {
      {"abc", "abc", 0, kCFCompareEqualTo},
      {"abc", "abd", 0, kCFCompareLessThan},
      {"abc", "ab", 0, kCFCompareGreaterThan},
      {"ABC", "abc", 0, kCFCompareLessThan},
      {"ABC", "abc", kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {"file10", "file9", 0, kCFCompareLessThan},
      {"file10", "file9", kCFCompareNumerically, kCFCompareGreaterThan},
      {"file010", "file10", kCFCompareNumerically, kCFCompareEqualTo},
      {"", "", 0, kCFCompareEqualTo},
  };
  for (const Case& c : cases) {
    Str a(CFStringCreateWithCString(nullptr, c.a, kCFStringEncodingUTF8));
    Str b(CFStringCreateWithCString(nullptr, c.b, kCFStringEncodingUTF8));
    EXPECT_EQ(CFStringCompare(a.ref, b.ref, c.flags), c.expect) << c.a << " vs " << c.b;
  }
  CFStringRef hay = CFSTR("one two one");
  CFRange r = CFStringFind(hay, CFSTR("one"), 0);
  EXPECT_EQ(r.location, 0);
  r = CFStringFind(hay, CFSTR("one"), kCFCompareBackwards);
  EXPECT_EQ(r.location, 8);
  EXPECT_EQ(CFStringFind(hay, CFSTR("three"), 0).location, kCFNotFound);
  EXPECT_TRUE(CFStringHasPrefix(hay, CFSTR("one ")));
  EXPECT_FALSE(CFStringHasPrefix(CFSTR("on"), CFSTR("one")));
  EXPECT_TRUE(CFStringHasSuffix(hay, CFSTR(" one")));
  EXPECT_EQ(CFStringGetIntValue(CFSTR("-42xyz")), -42);
  EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR("2.5")), 2.5);
}

TEST(CFString, CopiesAndMutableStrings)
{
  Str copy(CFStringCreateCopy(nullptr, CFSTR("k")));
  EXPECT_TRUE(CFEqual(copy.ref, CFSTR("k")));
  CFMutableStringRef m = CFStringCreateMutable(nullptr, 8);
  CFStringAppend(m, CFSTR("abc"));
  CFStringAppendCString(m, "def", kCFStringEncodingUTF8);
  CFStringInsert(m, 0, CFSTR(">"));
  EXPECT_EQ(text(m), ">abcdef");
  CFStringAppend(m, CFSTR("too long"));  // past the limit of 8: refused
  EXPECT_EQ(text(m), ">abcdef");
  Str frozen(CFStringCreateCopy(nullptr, m));
  CFStringDelete(m, CFRangeMake(0, 4));
  EXPECT_EQ(text(m), "def");
  EXPECT_EQ(text(frozen.ref), ">abcdef");  // the copy does not follow the mutable string
  CFRelease(m);
  Str sub(CFStringCreateWithSubstring(nullptr, CFSTR("hello"), CFRangeMake(1, 3)));
  EXPECT_EQ(text(sub.ref), "ell");
  EXPECT_EQ(CFStringCreateWithSubstring(nullptr, CFSTR("hello"), CFRangeMake(3, 3)), nullptr);
  CFArrayRef parts = CFStringCreateArrayBySeparatingStrings(nullptr, CFSTR("a,b,,c"), CFSTR(","));
  ASSERT_EQ(CFArrayGetCount(parts), 4);
  EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(parts, 2), CFSTR("")));
  CFRelease(parts);
}

TEST(CFString, FormatConversions)
{
  SInt32 n = 7;
  CFNumberRef seven = CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
  double h = 0.25;
  CFNumberRef quarter = CFNumberCreate(nullptr, kCFNumberFloat64Type, &h);
  Float32 tenthF = 0.1f;
  double tenthD = 0.1;
  CFNumberRef tenth32 = CFNumberCreate(nullptr, kCFNumberFloat32Type, &tenthF);
  CFNumberRef tenth64 = CFNumberCreate(nullptr, kCFNumberFloat64Type, &tenthD);
  struct Case
  {
    std::string expect;
    std::function<CFStringRef()> make;
  };
  const std::vector<Case> cases = {
      {"42", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), 42); }},
      {"[  -5|-5  ]", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("[%4d|%-4d]"), -5, -5); }},
      {"3.14 1000", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.2f %g"), 3.14159, 1000.0); }},
      {"ff 0X1F 017", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%x %#X %03o"), 255, 31, 15); }},
      {"-9000000000 18446744073709551615",
       [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%lld %llu"), -9000000000LL, ~0ULL); }},
      {"100% c", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("100%% %c"), 'c'); }},
      {"name: value",
       [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s: %@"), "name", CFSTR("value")); }},
      {"7 0.25", [&] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %@"), seven, quarter); }},
      {"0.1 0.1", [&] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %@"), tenth32, tenth64); }},
      {"(null) true",
       [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %@"), (CFTypeRef) nullptr, kCFBooleanTrue); }},
      {"[   ab]", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("[%5.2@]"), CFSTR("abc")); }},
      {"*  x*", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("*%*s*"), 3, "x"); }},
      {"\xE2\x82\xAC", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%C"), 0x20AC); }},
      {"AUPreset:\npreset number = 0\npreset name = -",
       [] {
         return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), 0,
                                         CFSTR("-"));
       }},
      {"trailing %", [] { return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("trailing %")); }},
  };
  for (const Case& c : cases) {
    Str s(c.make());
    ASSERT_NE(s.ref, nullptr) << c.expect;
    EXPECT_EQ(text(s.ref), c.expect);
  }
  // Absurd field widths are cut to 2^20 characters instead of asking for gigabytes.
  for (CFStringRef f : {CFSTR("%2000000000d"), CFSTR("%*d")}) {
    Str wide(CFStringCreateWithFormat(nullptr, nullptr, f, INT_MIN, 1));
    EXPECT_EQ(CFStringGetLength(wide.ref), 1 << 20);
  }
  CFMutableStringRef m = CFStringCreateMutableCopy(nullptr, 0, CFSTR("x="));
  CFStringAppendFormat(m, nullptr, CFSTR("%d"), 5);
  EXPECT_EQ(text(m), "x=5");
  CFRelease(m);
  CFRelease(seven);
  CFRelease(quarter);
  CFRelease(tenth32);
  CFRelease(tenth64);
}

TEST(CFString, DescriptionsOfCollections)
{
  const void* keys[] = {CFSTR("k")};
  const void* values[] = {CFSTR("v")};
  CFDictionaryRef d =
      CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  Str s(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@"), d));
  EXPECT_EQ(text(s.ref), "{\n    k = v;\n}");
  const UInt8 bytes[] = {0xde, 0xad, 0xbe, 0xef, 0x01};
  CFDataRef data = CFDataCreate(nullptr, bytes, 5);
  Str ds(CFCopyDescription(data));
  EXPECT_EQ(text(ds.ref), "<deadbeef 01>");
  CFRelease(data);
  CFRelease(d);
  CFDateRef date = CFDateCreate(nullptr, 599529600.0 + 3723.0);
  Str dt(CFCopyDescription(date));
  EXPECT_EQ(text(dt.ref), "2020-01-01 01:02:03 +0000");
  CFRelease(date);
}

TEST(CFURL, FileSystemPaths)
{
  struct Case
  {
    const char* path;
    bool dir;
    const char* fs;
    const char* url;
  };
  const Case cases[] = {
      {"/tmp/a b/file.png", false, "/tmp/a b/file.png", "file:///tmp/a%20b/file.png"},
      {"/tmp/bundle.component/", true, "/tmp/bundle.component", "file:///tmp/bundle.component/"},
      {"/tmp//x/./y/../z", false, "/tmp/x/z", "file:///tmp/x/z"},
      {"/", true, "/", "file:///"},
  };
  for (const Case& c : cases) {
    Str p(CFStringCreateWithCString(nullptr, c.path, kCFStringEncodingUTF8));
    CFURLRef u = CFURLCreateWithFileSystemPath(nullptr, p.ref, kCFURLPOSIXPathStyle, c.dir);
    ASSERT_NE(u, nullptr) << c.path;
    UInt8 buf[256];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(u, true, buf, sizeof buf));
    EXPECT_STREQ((const char*)buf, c.fs);
    EXPECT_EQ(text(CFURLGetString(u)), c.url);
    Str back(CFURLCopyFileSystemPath(u, kCFURLPOSIXPathStyle));
    EXPECT_EQ(text(back.ref), c.fs);
    CFURLRef again = CFURLCreateWithString(nullptr, CFURLGetString(u), nullptr);
    EXPECT_TRUE(CFEqual(again, u)) << c.path;
    CFRelease(again);
    UInt8 tiny[4];
    EXPECT_EQ(CFURLGetFileSystemRepresentation(u, true, tiny, sizeof tiny), strlen(c.fs) < sizeof tiny);
    CFRelease(u);
  }
  CFURLRef base = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/b/Contents"), kCFURLPOSIXPathStyle, true);
  CFURLRef res = CFURLCreateCopyAppendingPathComponent(nullptr, base, CFSTR("Resources"), true);
  Str last(CFURLCopyLastPathComponent(res));
  EXPECT_EQ(text(last.ref), "Resources");
  CFURLRef up = CFURLCreateCopyDeletingLastPathComponent(nullptr, res);
  EXPECT_TRUE(CFEqual(up, base));
  CFRelease(up);
  CFRelease(res);
  CFRelease(base);
  EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("http://example/x"), nullptr), nullptr);
  EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("file:///bad%zz"), nullptr), nullptr);
  EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR("C:\\x"), kCFURLWindowsPathStyle, false), nullptr);
}

TEST(CFUserNotification, AlertsAreRecordedAndAnsweredByTheHostsResponse)
{
  CFIndex before = CFUserNotificationGetAlertCount();
  CFOptionFlags answer = 99;
  CFUserNotificationSetResponse(kCFUserNotificationAlternateResponse);
  EXPECT_EQ(
      CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, CFSTR("Header"),
                                     CFSTR("Message text"), CFSTR("OK"), CFSTR("Cancel"), nullptr, &answer),
      0);
  EXPECT_EQ(answer, (CFOptionFlags)kCFUserNotificationAlternateResponse);
  EXPECT_EQ(CFUserNotificationGetAlertCount(), before + 1);
  Str header(CFUserNotificationCopyLastAlertHeader());
  Str message(CFUserNotificationCopyLastAlertMessage());
  EXPECT_EQ(text(header.ref), "Header");
  EXPECT_EQ(text(message.ref), "Message text");
  CFUserNotificationSetResponse(kCFUserNotificationDefaultResponse);
}

void countCall(void* info) { ++*(int*)info; }
void countTimer(CFRunLoopTimerRef timer, void* info)
{
  if (++*(int*)info == 3) CFRunLoopTimerInvalidate(timer);
}

TEST(CFRunLoop, QueuedFunctionsRunInTheirModeAndTimersRepeat)
{
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false), kCFRunLoopRunFinished);  // nothing to wait for
  CFRunLoopRef rl = CFRunLoopGetCurrent();
  int defaultRuns = 0, otherRuns = 0;
  CFRunLoopPerformFunction(rl, kCFRunLoopDefaultMode, countCall, &defaultRuns);
  CFRunLoopPerformFunction(rl, CFSTR("other"), countCall, &otherRuns);
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.5, true), kCFRunLoopRunHandledSource);
  EXPECT_EQ(defaultRuns, 1);
  EXPECT_EQ(otherRuns, 0);
  EXPECT_EQ(CFRunLoopRunInMode(CFSTR("other"), 0.5, true), kCFRunLoopRunHandledSource);
  EXPECT_EQ(otherRuns, 1);

  // From another thread: the function waits for the loop's own thread.
  int remote = 0;
  std::thread t([&] { CFRunLoopPerformFunction(rl, kCFRunLoopCommonModes, countCall, &remote); });
  t.join();
  EXPECT_EQ(remote, 0);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.5, true);
  EXPECT_EQ(remote, 1);

  int fired = 0;
  CFRunLoopTimerContext ctx = {0, &fired, nullptr, nullptr, nullptr};
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent(), 0.001, 0, 0, countTimer, &ctx);
  CFRunLoopAddTimer(rl, timer, kCFRunLoopCommonModes);
  EXPECT_TRUE(CFRunLoopContainsTimer(rl, timer, kCFRunLoopDefaultMode));
  // Runs until the timer invalidates itself on its third firing; then the loop is empty.
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 30, false), kCFRunLoopRunFinished);
  EXPECT_EQ(fired, 3);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  EXPECT_FALSE(CFRunLoopContainsTimer(rl, timer, kCFRunLoopDefaultMode));
  CFRelease(timer);
}

TEST(CFRunLoop, StopEndsARun)
{
  CFRunLoopRef rl = CFRunLoopGetCurrent();
  CFRunLoopTimerRef timer =
      CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent() + 1000, 0, 0, 0, countTimer, nullptr);
  CFRunLoopAddTimer(rl, timer, kCFRunLoopDefaultMode);
  std::thread t([rl] { CFRunLoopStop(rl); });
  t.join();
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 30, false), kCFRunLoopRunStopped);
  CFRunLoopTimerInvalidate(timer);
  CFRelease(timer);
}

}  // namespace
