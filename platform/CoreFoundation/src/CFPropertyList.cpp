// Property lists written and read through libplist.
#include "CFRuntime.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>
#include <cstring>

namespace {

const int kMaxDepth = 512;  // deeper trees (or a container holding itself) are refused

struct PlistHolder
{
  plist_t p = nullptr;
  ~PlistHolder()
  {
    if (p) plist_free(p);
  }
};

CFErrorRef makeError(CFIndex code, const char* text)
{
  CFStringRef message = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  const void* keys[] = {kCFErrorDescriptionKey};
  const void* values[] = {message};
  CFDictionaryRef info =
      CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFErrorRef e = CFErrorCreate(nullptr, kCFErrorDomainCocoa, code, info);
  CFRelease(info);
  CFRelease(message);
  return e;
}

void fail(CFErrorRef* error, CFIndex code, const char* text)
{
  if (error) *error = makeError(code, text);
}

// libplist hands dates in and out as whole seconds and microseconds: that drops
// what is finer than a microsecond and, going out, the sign of a time less than a
// second before the reference date. The binary form holds the exact double, so
// dates pass through it: a one-object binary list is made and read here.
const size_t kDateListSize = 8 + 9 + 1 + 32;  // header, date object, offset table, trailer

// A date node holding exactly at seconds from the reference date.
plist_t dateNode(double at)
{
  unsigned char list[kDateListSize] = {'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x33};
  uint64_t bits;
  memcpy(&bits, &at, sizeof(bits));
  for (int k = 0; k < 8; k++) list[9 + k] = (unsigned char)(bits >> (56 - 8 * k));
  list[17] = 8;  // the object's offset
  unsigned char* trailer = list + 18;
  trailer[6] = 1;    // offset size
  trailer[7] = 1;    // reference size
  trailer[15] = 1;   // one object, the top one being object 0
  trailer[31] = 17;  // where the offset table starts
  plist_t node = nullptr;
  plist_from_bin((const char*)list, (uint32_t)sizeof(list), &node);
  return node;
}

// The seconds from the reference date that a date node holds.
double dateSeconds(plist_t node)
{
  char* bin = nullptr;
  uint32_t len = 0;
  plist_to_bin(node, &bin, &len);
  double at = 0;
  if (bin && len == kDateListSize && (unsigned char)bin[8] == 0x33) {
    uint64_t bits = 0;
    for (int k = 0; k < 8; k++) bits = bits << 8 | (unsigned char)bin[9 + k];
    memcpy(&at, &bits, sizeof(at));
  } else {  // not the layout expected: the microseconds, signed as the seconds are
    int32_t sec = 0, usec = 0;
    plist_get_date_val(node, &sec, &usec);
    at = sec < 0 ? sec - usec * 1e-6 : sec + usec * 1e-6;
  }
  free(bin);
  return at;
}

// A libplist node for a CF tree; NULL for a type that a property list cannot hold.
plist_t toPlist(CFTypeRef cf, int depth)
{
  if (!cf || depth > kMaxDepth) return nullptr;
  CFTypeID t = CFGetTypeID(cf);
  if (t == CFStringGetTypeID()) return plist_new_string(cf::utf8((CFStringRef)cf).c_str());
  if (t == CFBooleanGetTypeID()) return plist_new_bool(CFBooleanGetValue((CFBooleanRef)cf));
  if (t == CFNumberGetTypeID()) {
    CFNumberRef n = (CFNumberRef)cf;
    if (CFNumberIsFloatType(n)) {
      double d;
      CFNumberGetValue(n, kCFNumberFloat64Type, &d);
      return plist_new_real(d);
    }
    SInt64 v;
    CFNumberGetValue(n, kCFNumberSInt64Type, &v);
    return plist_new_uint((uint64_t)v);
  }
  if (t == CFDateGetTypeID()) {
    double at = CFDateGetAbsoluteTime((CFDateRef)cf);
    if (!(at > -2147483648.0 && at < 2147483647.0)) return nullptr;  // outside what the format holds
    return dateNode(at);
  }
  if (t == CFDataGetTypeID()) {
    CFDataRef d = (CFDataRef)cf;
    const UInt8* bytes = CFDataGetBytePtr(d);
    return plist_new_data(bytes ? (const char*)bytes : "", (uint64_t)CFDataGetLength(d));
  }
  if (t == CFArrayGetTypeID()) {
    plist_t arr = plist_new_array();
    for (CFIndex i = 0; i < CFArrayGetCount((CFArrayRef)cf); i++) {
      plist_t item = toPlist(CFArrayGetValueAtIndex((CFArrayRef)cf, i), depth + 1);
      if (!item) {
        plist_free(arr);
        return nullptr;
      }
      plist_array_append_item(arr, item);
    }
    return arr;
  }
  if (t == CFDictionaryGetTypeID()) {
    CFDictionaryRef d = (CFDictionaryRef)cf;
    CFIndex n = CFDictionaryGetCount(d);
    const void** keys = (const void**)calloc((size_t)n + 1, sizeof(void*));
    const void** values = (const void**)calloc((size_t)n + 1, sizeof(void*));
    plist_t dict = keys && values ? plist_new_dict() : nullptr;
    if (dict) CFDictionaryGetKeysAndValues(d, keys, values);
    std::vector<CFIndex> order;  // keys are written in sorted order, so equal dictionaries give equal files
    for (CFIndex i = 0; dict && i < n; i++) {
      if (!cf::is(keys[i], CFStringGetTypeID())) {
        plist_free(dict);
        dict = nullptr;
        break;
      }
      order.push_back(i);
    }
    std::sort(order.begin(), order.end(), [&](CFIndex a, CFIndex b) {
      return CFStringCompare((CFStringRef)keys[a], (CFStringRef)keys[b], 0) == kCFCompareLessThan;
    });
    for (size_t j = 0; dict && j < order.size(); j++) {
      plist_t item = toPlist(values[order[j]], depth + 1);
      if (!item) {
        plist_free(dict);
        dict = nullptr;
        break;
      }
      plist_dict_set_item(dict, cf::utf8((CFStringRef)keys[order[j]]).c_str(), item);
    }
    free(keys);
    free(values);
    return dict;
  }
  return nullptr;
}

// A CF tree for a libplist node; NULL for node types without a CF counterpart here.
CFTypeRef fromPlist(CFAllocatorRef a, plist_t node, CFOptionFlags options, int depth)
{
  if (!node || depth > kMaxDepth) return nullptr;
  bool mutableContainers = options & (kCFPropertyListMutableContainers | kCFPropertyListMutableContainersAndLeaves);
  bool mutableLeaves =
      (options & kCFPropertyListMutableContainersAndLeaves) == kCFPropertyListMutableContainersAndLeaves;
  switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
      // A string holding a zero byte has no text form here: the list is refused as corrupt.
      uint64_t len = 0;
      const char* s = plist_get_string_ptr(node, &len);
      if (!s || strlen(s) != len) return nullptr;
      CFStringRef str = cf::makeString(a, s);
      if (str && mutableLeaves) {
        CFMutableStringRef m = CFStringCreateMutableCopy(a, 0, str);
        CFRelease(str);
        return m;
      }
      return str;
    }
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return b ? kCFBooleanTrue : kCFBooleanFalse;
    }
    case PLIST_UINT: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      SInt64 v = (SInt64)u;
      return CFNumberCreate(a, kCFNumberSInt64Type, &v);
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return CFNumberCreate(a, kCFNumberFloat64Type, &d);
    }
    case PLIST_DATE: {
      return CFDateCreate(a, dateSeconds(node));
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t len = 0;
      plist_get_data_val(node, &bytes, &len);
      CFTypeRef d =
          mutableLeaves ? (CFTypeRef)CFDataCreateMutable(a, 0) : CFDataCreate(a, (const UInt8*)bytes, (CFIndex)len);
      if (d && mutableLeaves) CFDataAppendBytes((CFMutableDataRef)d, (const UInt8*)bytes, (CFIndex)len);
      free(bytes);
      return d;
    }
    case PLIST_ARRAY: {
      CFMutableArrayRef arr = CFArrayCreateMutable(a, 0, &kCFTypeArrayCallBacks);
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; arr && i < n; i++) {
        CFTypeRef item = fromPlist(a, plist_array_get_item(node, i), options, depth + 1);
        if (!item) {
          CFRelease(arr);
          return nullptr;
        }
        CFArrayAppendValue(arr, item);
        CFRelease(item);
      }
      if (!arr || mutableContainers) return arr;
      CFArrayRef fixed = CFArrayCreateCopy(a, arr);
      CFRelease(arr);
      return fixed;
    }
    case PLIST_DICT: {
      CFMutableDictionaryRef dict =
          CFDictionaryCreateMutable(a, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      bool ok = dict && it;
      while (ok) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!key) break;
        CFStringRef k = cf::makeString(a, key);
        free(key);
        CFTypeRef v = fromPlist(a, value, options, depth + 1);
        ok = k && v;
        if (ok) CFDictionarySetValue(dict, k, v);
        CFRelease(k);
        CFRelease(v);
      }
      free(it);
      if (!ok) {
        CFRelease(dict);
        return nullptr;
      }
      if (mutableContainers) return dict;
      CFDictionaryRef fixed = CFDictionaryCreateCopy(a, dict);
      CFRelease(dict);
      return fixed;
    }
    default:  // UIDs and keys outside dictionaries have no counterpart here
      return nullptr;
  }
}

// Whether XML text nests containers deeper than the limit (libplist recurses once per level).
bool xmlTooDeep(const UInt8* p, CFIndex n)
{
  int depth = 0;
  for (CFIndex i = 0; i < n; i++) {
    if (p[i] != '<') continue;
    const char* t = (const char*)p + i + 1;
    CFIndex left = n - i - 1;
    bool close = left > 0 && *t == '/';
    if (close) t++, left--;
    CFIndex len = left >= 5 && !memcmp(t, "array", 5) ? 5 : left >= 4 && !memcmp(t, "dict", 4) ? 4 : 0;
    if (!len || left <= len || (t[len] != '>' && t[len] != ' ' && t[len] != '/')) continue;
    if (close) {
      depth--;
    } else if (t[len] != '/' && ++depth > kMaxDepth) {
      return true;
    }
  }
  return false;
}

// Reads a big-endian unsigned integer of size bytes at p.
uint64_t readBE(const UInt8* p, unsigned size)
{
  uint64_t v = 0;
  for (unsigned i = 0; i < size; i++) v = v << 8 | p[i];
  return v;
}

// Whether binary data is safe to hand to libplist: its offsets and references lie inside the
// data, containers nest no deeper than the limit, and shared containers do not multiply the
// tree beyond a bound (each reference to a container is visited once per path).
bool binaryWellFormed(const UInt8* p, CFIndex n)
{
  if (n < 8 + 32) return false;
  const UInt8* trailer = p + n - 32;
  unsigned offsetSize = trailer[6], refSize = trailer[7];
  uint64_t count = readBE(trailer + 8, 8), top = readBE(trailer + 16, 8), table = readBE(trailer + 24, 8);
  if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || top >= count ||
      table >= (uint64_t)n - 32 || count > ((uint64_t)n - 32 - table) / offsetSize)
    return false;
  auto offsetOf = [&](uint64_t ref, uint64_t* out) {
    uint64_t off = readBE(p + table + ref * offsetSize, offsetSize);
    if (off < 8 || off >= table) return false;
    *out = off;
    return true;
  };
  struct Item
  {
    uint64_t ref;
    int depth;
  };
  std::vector<Item> stack{{top, 1}};
  long visits = 0;
  while (!stack.empty()) {
    Item it = stack.back();
    stack.pop_back();
    if (it.ref >= count || it.depth > kMaxDepth || ++visits > (1 << 20)) return false;
    uint64_t off;
    if (!offsetOf(it.ref, &off)) return false;
    UInt8 marker = p[off];
    unsigned kind = marker >> 4;
    bool text = kind == 0x5 || kind == 0x6;                            // ASCII or UTF-16 strings, keys among them
    if (!text && kind != 0xA && kind != 0xC && kind != 0xD) continue;  // other leaves: libplist checks them
    uint64_t items = marker & 0xF, at = off + 1;
    if (items == 0xF) {  // the count follows as an integer object
      if (at >= table || (p[at] >> 4) != 0x1 || (p[at] & 0xF) > 3) return false;
      unsigned size = 1u << (p[at] & 0xF);
      if (at + 1 + size > table) return false;
      items = readBE(p + at + 1, size);
      at += 1 + size;
    }
    if (text) {
      // A zero character has no place in text here (libplist stops on one in a key).
      unsigned unit = kind == 0x6 ? 2 : 1;
      if (items > (table - at) / unit) return false;
      for (uint64_t k = 0; k < items; k++)
        if (readBE(p + at + k * unit, unit) == 0) return false;
      continue;
    }
    uint64_t refs = kind == 0xD ? items * 2 : items;
    if (refs > (table - at) / refSize) return false;
    for (uint64_t k = 0; k < refs; k++) stack.push_back({readBE(p + at + k * refSize, refSize), it.depth + 1});
  }
  return true;
}

bool valid(CFTypeRef cf, int depth)
{
  if (!cf || depth > kMaxDepth) return false;
  CFTypeID t = CFGetTypeID(cf);
  if (t == CFStringGetTypeID() || t == CFNumberGetTypeID() || t == CFBooleanGetTypeID() || t == CFDataGetTypeID() ||
      t == CFDateGetTypeID())
    return true;
  if (t == CFArrayGetTypeID()) {
    for (CFIndex i = 0; i < CFArrayGetCount((CFArrayRef)cf); i++)
      if (!valid(CFArrayGetValueAtIndex((CFArrayRef)cf, i), depth + 1)) return false;
    return true;
  }
  if (t != CFDictionaryGetTypeID()) return false;
  bool ok = true;
  struct Ctx
  {
    bool* ok;
    int depth;
  } ctx{&ok, depth};
  CFDictionaryApplyFunction((CFDictionaryRef)cf,
                            [](const void* k, const void* v, void* c) {
                              Ctx* x = (Ctx*)c;
                              if (!cf::is(k, CFStringGetTypeID()) || !valid(v, x->depth + 1)) *x->ok = false;
                            },
                            &ctx);
  return ok;
}

}  // namespace

extern "C" {

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format)
{
  if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0) return false;
  return valid(plist, 0);
}

CFDataRef CFPropertyListCreateData(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                   CFPropertyListFormat format, CFOptionFlags, CFErrorRef* error)
{
  if (error) *error = nullptr;
  if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0) {
    fail(error, kCFPropertyListWriteStreamError, "Property list format not supported for writing");
    return nullptr;
  }
  PlistHolder tree;
  tree.p = toPlist(propertyList, 0);
  if (!tree.p) {
    fail(error, kCFPropertyListWriteStreamError, "Object is not a valid property list");
    return nullptr;
  }
  char* out = nullptr;
  uint32_t len = 0;
  if (format == kCFPropertyListXMLFormat_v1_0)
    plist_to_xml(tree.p, &out, &len);
  else
    plist_to_bin(tree.p, &out, &len);
  if (!out) {
    fail(error, kCFPropertyListWriteStreamError, "Property list could not be written");
    return nullptr;
  }
  CFDataRef data = CFDataCreate(allocator, (const UInt8*)out, (CFIndex)len);
  if (format == kCFPropertyListXMLFormat_v1_0)
    plist_to_xml_free(out);
  else
    plist_to_bin_free(out);
  return data;
}

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef allocator, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error)
{
  if (error) *error = nullptr;
  CFIndex len = CFDataGetLength(data);
  const UInt8* bytes = CFDataGetBytePtr(data);
  if (!bytes || len <= 0 || len > 0x7fffffff) {
    fail(error, kCFPropertyListReadCorruptError, "Empty or oversized property list data");
    return nullptr;
  }
  bool binary = len >= 8 && memcmp(bytes, "bplist00", 8) == 0;
  if (binary ? !binaryWellFormed(bytes, len) : xmlTooDeep(bytes, len)) {
    fail(error, kCFPropertyListReadCorruptError, "Property list data is corrupt or nested too deeply");
    return nullptr;
  }
  PlistHolder tree;
  plist_from_memory((const char*)bytes, (uint32_t)len, &tree.p);
  CFPropertyListRef result = tree.p ? fromPlist(allocator, tree.p, options, 0) : nullptr;
  if (!result) {
    fail(error, kCFPropertyListReadCorruptError,
         tree.p ? "Property list holds a type that is not supported" : "Property list data is corrupt");
    return nullptr;
  }
  if (format) *format = binary ? kCFPropertyListBinaryFormat_v1_0 : kCFPropertyListXMLFormat_v1_0;
  return result;
}

CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption)
{
  PlistHolder tree;
  tree.p = toPlist(propertyList, 0);
  return tree.p ? fromPlist(allocator, tree.p, mutabilityOption, 0) : nullptr;
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList)
{
  return CFPropertyListCreateData(allocator, propertyList, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption, CFStringRef* errorString)
{
  CFErrorRef error = nullptr;
  CFPropertyListRef p = CFPropertyListCreateWithData(allocator, xmlData, mutabilityOption, nullptr, &error);
  if (errorString) *errorString = error ? CFErrorCopyDescription(error) : nullptr;
  CFRelease(error);
  return p;
}

}  // extern "C"
