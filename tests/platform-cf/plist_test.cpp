// Property lists: round trips, an independent reader of what is written, and corrupt input.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

CFDataRef dataOf(const std::string& s) { return CFDataCreate(nullptr, (const UInt8*)s.data(), (CFIndex)s.size()); }

// A state dictionary of the kind stored in preset files: numbers, strings, data, nesting.
CFDictionaryRef sampleState()
{
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 version = 65536, type = 0x61756678 /* aufx */, negative = -5;
  SInt64 big = -9000000000LL;
  Float64 tenth = 0.1, huge = 1.5e300;
  Float32 third = 1.0f / 3.0f;
  const UInt8 bytes[] = {0, 1, 2, 0xff, 0, 0x80, '<', '&'};
  struct
  {
    const char* key;
    CFTypeRef value;
  } entries[] = {
      {"version", CFNumberCreate(nullptr, kCFNumberSInt32Type, &version)},
      {"type", CFNumberCreate(nullptr, kCFNumberSInt32Type, &type)},
      {"negative", CFNumberCreate(nullptr, kCFNumberSInt32Type, &negative)},
      {"big", CFNumberCreate(nullptr, kCFNumberSInt64Type, &big)},
      {"tenth", CFNumberCreate(nullptr, kCFNumberFloat64Type, &tenth)},
      {"huge", CFNumberCreate(nullptr, kCFNumberFloat64Type, &huge)},
      {"third", CFNumberCreate(nullptr, kCFNumberFloat32Type, &third)},
      {"name", CFStringCreateWithCString(nullptr, "Caf\xC3\xA9 <&> \"quoted\"", kCFStringEncodingUTF8)},
      {"empty", CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8)},
      {"data", CFDataCreate(nullptr, bytes, sizeof bytes)},
      {"flag", CFRetain(kCFBooleanTrue)},
      {"saved", CFDateCreate(nullptr, 599529600.0)},  // 2020-01-01 00:00:00 UTC
  };
  for (auto& e : entries) {
    CFStringRef k = CFStringCreateWithCString(nullptr, e.key, kCFStringEncodingUTF8);
    CFDictionarySetValue(d, k, e.value);
    CFRelease(k);
    CFRelease(e.value);
  }
  const void* items[] = {CFSTR("a"), kCFBooleanFalse};
  CFArrayRef arr = CFArrayCreate(nullptr, items, 2, &kCFTypeArrayCallBacks);
  const void* innerKeys[] = {CFSTR("list")};
  const void* innerValues[] = {arr};
  CFDictionaryRef inner = CFDictionaryCreate(nullptr, innerKeys, innerValues, 1, &kCFTypeDictionaryKeyCallBacks,
                                             &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(d, CFSTR("nested"), inner);
  CFRelease(inner);
  CFRelease(arr);
  return d;
}

TEST(CFPropertyList, RoundTripsInBothFormats)
{
  CFDictionaryRef state = sampleState();
  ASSERT_TRUE(CFPropertyListIsValid(state, kCFPropertyListXMLFormat_v1_0));
  for (CFPropertyListFormat format : {kCFPropertyListXMLFormat_v1_0, kCFPropertyListBinaryFormat_v1_0}) {
    CFErrorRef error = nullptr;
    CFDataRef data = CFPropertyListCreateData(nullptr, state, format, 0, &error);
    ASSERT_NE(data, nullptr) << format;
    EXPECT_EQ(error, nullptr);
    CFPropertyListFormat found = 0;
    CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, &found, &error);
    ASSERT_NE(back, nullptr) << format;
    EXPECT_EQ(found, format);
    EXPECT_TRUE(CFEqual(back, state)) << format;
    CFNumberRef third = (CFNumberRef)CFDictionaryGetValue((CFDictionaryRef)back, CFSTR("third"));
    Float32 f = 0;
    CFNumberGetValue(third, kCFNumberFloat32Type, &f);
    EXPECT_EQ(f, 1.0f / 3.0f);
    CFRelease(back);
    CFRelease(data);
  }
  CFRelease(state);
}

// Binary lists keep a date exactly, before the reference date and below a microsecond
// too; XML keeps whole seconds, and the XML written from what was read back is the
// same text.
TEST(CFPropertyList, DatesKeepTheirTimeInBinaryAndWholeSecondsInXml)
{
  const struct
  {
    double at, xml;
  } kCases[] = {{190000.25, 190000},
                {-0.5, 0},
                {-1.5, -1},
                {-2147483647.729413, -2147483647},
                {190000.123456789, 190000},
                {-1e-9, 0},
                {599529600.0, 599529600.0}};
  for (const auto& c : kCases) {
    CFDateRef date = CFDateCreate(nullptr, c.at);
    CFArrayRef list = CFArrayCreate(nullptr, (const void**)&date, 1, &kCFTypeArrayCallBacks);
    for (CFPropertyListFormat format : {kCFPropertyListBinaryFormat_v1_0, kCFPropertyListXMLFormat_v1_0}) {
      SCOPED_TRACE(testing::Message() << c.at << " in format " << format);
      CFDataRef data = CFPropertyListCreateData(nullptr, list, format, 0, nullptr);
      ASSERT_NE(data, nullptr);
      CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(CFDateGetAbsoluteTime((CFDateRef)CFArrayGetValueAtIndex((CFArrayRef)back, 0)),
                format == kCFPropertyListBinaryFormat_v1_0 ? c.at : c.xml);
      CFDataRef again = CFPropertyListCreateData(nullptr, back, format, 0, nullptr);
      EXPECT_TRUE(CFEqual(again, data));
      CFRelease(again);
      CFRelease(back);
      CFRelease(data);
    }
    CFRelease(list);
    CFRelease(date);
  }
}

// The binary writer stores a repeated value once: an array of many references to few objects
// reads back.
TEST(CFPropertyList, RepeatedValuesRoundTripInBinary)
{
  std::vector<CFTypeRef> items(11, CFSTR("subtype"));
  items[0] = CFSTR("data");
  CFArrayRef list = CFArrayCreate(nullptr, items.data(), (CFIndex)items.size(), &kCFTypeArrayCallBacks);
  CFDataRef data = CFPropertyListCreateData(nullptr, list, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
  ASSERT_NE(data, nullptr);
  CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(CFEqual(back, list));
  CFRelease(back);
  CFRelease(data);
  CFRelease(list);
}

TEST(CFPropertyList, MutabilityOptionsAndDeepCopy)
{
  CFDictionaryRef state = sampleState();
  CFDataRef data = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  CFPropertyListRef m =
      CFPropertyListCreateWithData(nullptr, data, kCFPropertyListMutableContainersAndLeaves, nullptr, nullptr);
  CFDictionarySetValue((CFMutableDictionaryRef)m, CFSTR("added"), kCFBooleanTrue);
  EXPECT_EQ(CFDictionaryGetCount((CFDictionaryRef)m), CFDictionaryGetCount(state) + 1);
  CFStringAppend((CFMutableStringRef)CFDictionaryGetValue((CFDictionaryRef)m, CFSTR("empty")), CFSTR("x"));
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue((CFDictionaryRef)m, CFSTR("empty")), CFSTR("x")));
  CFPropertyListRef copy = CFPropertyListCreateDeepCopy(nullptr, state, kCFPropertyListImmutable);
  EXPECT_TRUE(CFEqual(copy, state));
  EXPECT_NE(CFDictionaryGetValue((CFDictionaryRef)copy, CFSTR("nested")), CFDictionaryGetValue(state, CFSTR("nested")));
  CFRelease(copy);
  CFRelease(m);
  CFRelease(data);
  CFRelease(state);
}

TEST(CFPropertyList, XmlIsReadableByAnIndependentReader)
{
  CFDictionaryRef state = sampleState();
  CFDataRef data = CFPropertyListCreateXMLData(nullptr, state);
  ASSERT_NE(data, nullptr);
  std::string xml((const char*)CFDataGetBytePtr(data), (size_t)CFDataGetLength(data));
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
  EXPECT_NE(xml.find("<key>data</key>"), std::string::npos);
  EXPECT_NE(xml.find("<!DOCTYPE plist"), std::string::npos);
  // Keys are written sorted, whatever order they were added in ("version" was added first).
  EXPECT_LT(xml.find("<key>big</key>"), xml.find("<key>version</key>"));
  EXPECT_LT(xml.find("<key>name</key>"), xml.find("<key>nested</key>"));

  plist_t root = nullptr;
  plist_from_memory(xml.data(), (uint32_t)xml.size(), &root);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(plist_get_node_type(root), PLIST_DICT);
  uint64_t version = 0;
  plist_get_uint_val(plist_dict_get_item(root, "version"), &version);
  EXPECT_EQ(version, 65536u);
  uint64_t negative = 0;
  plist_get_uint_val(plist_dict_get_item(root, "negative"), &negative);
  EXPECT_EQ((int64_t)negative, -5);
  char* name = nullptr;
  plist_get_string_val(plist_dict_get_item(root, "name"), &name);
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, "Caf\xC3\xA9 <&> \"quoted\"");
  free(name);
  char* bytes = nullptr;
  uint64_t len = 0;
  plist_get_data_val(plist_dict_get_item(root, "data"), &bytes, &len);
  ASSERT_EQ(len, 8u);
  EXPECT_EQ((unsigned char)bytes[3], 0xff);
  EXPECT_EQ(bytes[6], '<');
  free(bytes);
  int32_t sec = 0, usec = 0;
  plist_get_date_val(plist_dict_get_item(root, "saved"), &sec, &usec);
  EXPECT_EQ(sec, 599529600);
  EXPECT_NE(xml.find("<date>2020-01-01T00:00:00Z</date>"), std::string::npos);
  double tenth = 0;
  plist_get_real_val(plist_dict_get_item(root, "tenth"), &tenth);
  EXPECT_EQ(tenth, 0.1);
  plist_t list = plist_dict_get_item(plist_dict_get_item(root, "nested"), "list");
  EXPECT_EQ(plist_array_get_size(list), 2u);
  plist_free(root);
  CFRelease(data);
  CFRelease(state);
}

TEST(CFPropertyList, CorruptOrUnsupportedInputIsRefused)
{
  const std::string header =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";
  const std::string cases[] = {
      "",
      "garbage that is no property list",
      header + "<plist version=\"1.0\"><dict><key>a</key><integer>1</integer>",
      header + "<plist version=\"1.0\"><dict><key>a</key><integer>1</integer></array></plist>",
      header + "<plist version=\"1.0\"><integer>12</string></plist>",
      std::string("bplist00\x01\x02\x03\x04\x05\x06\x07\x08", 16),
      std::string("bplist00", 8) + std::string(40, '\xff'),
      // A binary list whose dictionary holds a string with zero bytes in it.
      std::string("\x62\x70\x6c\x69\x73\x74\x30\x30\xd9\x01\x03\x05\x07\x09\x0b\x0d\x11\x13\x02\x04\x06\x00\x00\x00"
                  "\x00\x00\x00\xe0\x73\x74\x72\x69\x6e\x93\x00\x00\x00\x5c\x6d\x61\x6e\x75\x66\x61\x63\x74\x75\x72"
                  "\x65\x72\x12\x51\x6c\x6d\x68\x54\x6e\x61\x6d\x65\x51\x2d\x57\x73\x75\x62\x74\x79\x70\x65\x12\x4b"
                  "\x65\x6c\x31\x54\x74\x79\x70\x65\x12\x61\x75\x66\x78\x57\x76\x65\x72\x73\x69\x6f\x6e\x12\x00\x01"
                  "\x00\x00\x57\x78\x2d\x61\x72\x00\x00\x00\x5c\x6d\x61\x6e\x75\x66\x61\x63\x8e\x75\x72\x65\x72\x12"
                  "\x51\x6c\x6d\x68\x54\x6e\x61\x6d\x65\x51\x2d\x57\x73\x75\x62\x74\x79\x70\x65\x12\x4b\x65\x6c\x31"
                  "\x54\x74\x79\x70\x65\x12\x61\x75\x66\x78\x57\x76\x65\x72\x73\x69\x6f\x6e\x12\x00\x01\x00\x00\x57"
                  "\x78\x2d\x61\x61\x00\xe9\x00\x74\x2d\x62\x6f\x6f\x6c\x09\x56\x78\x2d\x72\x65\x61\x6c\x22\x40\x00"
                  "\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x15\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                  "\x00\x00\x00\xa7",
                  220),
      // A binary list whose dictionary has a key with zero bytes in it.
      std::string("\x62\x70\x6c\x69\x73\x74\x30\x30\xd9\x01\x03\x05\x07\x09\x0b\x0d\x11\x13\x02\x04\x06\x08\x0a\x0c"
                  "\x0e\x12\x14\x54\x64\x61\x74\x61\x4f\x10\x20\x00\x00\x00\x00\x00\x00\x2e\xc0\x66\x66\x66\x66\x66"
                  "\x66\x1a\xc1\x00\x04\x00\x00\x00\x00\xe0\x73\x74\x72\x69\x6e\x67\x00\x00\x00\x5c\x6d\x61\x6e\x75"
                  "\x66\x61\x63\x74\x75\x72\x65\x72\x12\x51\x6c\x6d\x68\x54\x6e\x61\x6d\x65\x51\x2d\x57\x73\x75\x62"
                  "\x74\x79\x70\x65\x12\x4b\x65\x6c\x31\x54\x74\x79\x70\x65\x12\x61\x75\x66\x78\x57\x76\x65\x72\x73"
                  "\x69\x6f\x6e\x12\x00\x01\x00\x00\x57\x78\x2d\x61\x72\x72\x61\x79\xa2\x0f\x10\x63\x00\xe9\x00\x74"
                  "\x00\xe9\x08\x56\x78\x2d\x62\x6f\x6f\x6c\x09\x56\x2d\x65\x72\x78\x61\x6c\x22\x40\x20\x00\x00\x08"
                  "\x1b\x20\x43\x50\x55\x5a\x5c\x64\x69\x6e\x73\x7b\x3d\x88\x8b\x92\x93\x9a\x9b\xa2\x00\x00\x00\x00"
                  "\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x15\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                  "\x00\x00\x00\xa7",
                  220),
  };
  for (const std::string& c : cases) {
    CFDataRef data = dataOf(c);
    CFErrorRef error = nullptr;
    CFPropertyListFormat format = 12345;
    CFPropertyListRef p = CFPropertyListCreateWithData(nullptr, data, 0, &format, &error);
    EXPECT_EQ(p, nullptr) << c;
    ASSERT_NE(error, nullptr) << c;
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListReadCorruptError);
    EXPECT_EQ(format, 12345);
    CFRelease(error);
    CFRelease(p);
    CFRelease(data);
  }
  EXPECT_EQ(CFPropertyListCreateWithData(nullptr, nullptr, 0, nullptr, nullptr), nullptr);
}

// A binary list of one array object whose bytes are given, with its offset table and trailer.
std::string binaryList(const std::string& object, UInt8 offset = 8)
{
  std::string b = std::string("bplist00", 8) + object;
  size_t table = b.size();
  b += (char)offset;
  std::string trailer(32, '\0');
  trailer[6] = 1, trailer[7] = 1, trailer[15] = 1;  // offset and reference sizes 1, one object, top object 0
  trailer[31] = (char)table;
  return b + trailer;
}

TEST(CFPropertyList, NestingAndReferencesAreBoundedBeforeParsing)
{
  auto nested = [](int levels) {
    std::string x = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < levels; i++) x += i % 2 ? "<dict><key>k</key>" : "<array>";
    for (int i = levels - 1; i >= 0; i--) x += i % 2 ? "</dict>" : "</array>";
    return x + "</plist>";
  };
  struct Case
  {
    const char* name;
    std::string bytes;
    bool accepted;
  };
  const Case cases[] = {
      {"xml 100 levels", nested(100), true},
      {"xml 100000 levels", nested(100000), false},
      {"binary empty array", binaryList("\xA0"), true},
      {"binary array holding itself", binaryList(std::string("\xA1\x00", 2)), false},
      {"binary offset outside the data", binaryList("\xA0", 200), false},
      {"binary reference to a missing object", binaryList(std::string("\xA1\x05", 2)), false},
  };
  for (const Case& c : cases) {
    CFDataRef data = dataOf(c.bytes);
    CFErrorRef error = nullptr;
    CFPropertyListRef p = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &error);
    EXPECT_EQ(p != nullptr, c.accepted) << c.name;
    EXPECT_EQ(error != nullptr, !c.accepted) << c.name;
    CFRelease(p);
    CFRelease(error);
    CFRelease(data);
  }
}

TEST(CFPropertyList, TreesThatCannotBeWrittenAreRefused)
{
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 one = 1;
  CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFDictionarySetValue(d, key, CFSTR("number keys are not allowed"));
  CFMutableArrayRef selfish = CFArrayCreateMutable(nullptr, 0, nullptr);  // holds itself without retaining
  CFArrayAppendValue(selfish, selfish);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/x"), kCFURLPOSIXPathStyle, false);
  for (CFTypeRef bad : {(CFTypeRef)d, (CFTypeRef)selfish, (CFTypeRef)url, (CFTypeRef)kCFNull}) {
    EXPECT_FALSE(CFPropertyListIsValid(bad, kCFPropertyListXMLFormat_v1_0));
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, bad, kCFPropertyListXMLFormat_v1_0, 0, &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteStreamError);
    CFRelease(error);
  }
  EXPECT_EQ(CFPropertyListCreateData(nullptr, CFSTR("x"), kCFPropertyListOpenStepFormat, 0, nullptr), nullptr);
  CFRelease(url);
  CFRelease(selfish);
  CFRelease(key);
  CFRelease(d);
}

}  // namespace
