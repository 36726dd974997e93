#include "statefile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "outfile.h"
#include "session.h"

namespace {

// Larger files are not states of any plug-in this host will load.
constexpr long kMaxStateBytes = 16 << 20;

const char* const kKnownKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data"};

CFTypeRef Lookup(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef v = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return v;
}

std::string TypeName(CFTypeRef v)
{
  const CFTypeID t = CFGetTypeID(v);
  if (t == CFNumberGetTypeID()) return "number";
  if (t == CFStringGetTypeID()) return "string";
  if (t == CFDataGetTypeID()) return "data";
  if (t == CFDictionaryGetTypeID()) return "dictionary";
  if (t == CFArrayGetTypeID()) return "array";
  if (t == CFBooleanGetTypeID()) return "boolean";
  return "value of another type";
}

std::string NumberText(CFNumberRef n)
{
  char buf[64];
  if (CFNumberIsFloatType(n)) {
    double d = 0;
    CFNumberGetValue(n, kCFNumberDoubleType, &d);
    snprintf(buf, sizeof(buf), "%g", d);
  } else {
    long long v = 0;
    CFNumberGetValue(n, kCFNumberLongLongType, &v);
    snprintf(buf, sizeof(buf), "%lld", v);
  }
  return buf;
}

std::string ValueText(const std::string& key, CFTypeRef v)
{
  const CFTypeID t = CFGetTypeID(v);
  if (t == CFNumberGetTypeID()) {
    CFNumberRef n = (CFNumberRef)v;
    std::string s = "CFNumber  " + NumberText(n);
    SInt32 i = 0;
    CFNumberGetValue(n, kCFNumberSInt32Type, &i);
    if (key == "version") {
      char buf[48];
      snprintf(buf, sizeof(buf), "  (v%d.%d.%d)", (int)(i >> 16), (int)((i >> 8) & 0xff), (int)(i & 0xff));
      s += buf;
    } else if (key == "type" || key == "subtype" || key == "manufacturer") {
      s += "  (" + FourCC((UInt32)i) + ")";
    }
    return s;
  }
  if (t == CFStringGetTypeID()) return "CFString  \"" + CFText((CFStringRef)v) + "\"";
  if (t == CFDataGetTypeID()) {
    CFDataRef d = (CFDataRef)v;
    const CFIndex len = CFDataGetLength(d);
    std::string s = "CFData  " + std::to_string((long)len) + " bytes ";
    const UInt8* p = CFDataGetBytePtr(d);
    for (CFIndex i = 0; i < len; ++i) {
      char hex[4];
      snprintf(hex, sizeof(hex), "%02x", p[i]);
      s += (i % 8 == 0) ? " " : "";
      s += hex;
    }
    return s;
  }
  return TypeName(v);
}

}  // namespace

bool ReadStateFile(const std::string& path, CFPropertyListRef& out, std::string& err)
{
  out = nullptr;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    err = "cannot read '" + path + "': " + strerror(errno);
    return false;
  }
  std::vector<UInt8> bytes;
  UInt8 chunk[65536];
  size_t n = 0;
  while ((n = fread(chunk, 1, sizeof(chunk), f)) > 0 && (long)bytes.size() <= kMaxStateBytes)
    bytes.insert(bytes.end(), chunk, chunk + n);
  const bool failed = ferror(f) != 0;
  const int e = errno;
  fclose(f);
  if (failed) {
    err = "cannot read '" + path + "': " + strerror(e);
    return false;
  }
  if ((long)bytes.size() > kMaxStateBytes) {
    err = "'" + path + "' is not a state file: it is larger than 16 MB";
    return false;
  }
  if (bytes.empty()) {
    err = "'" + path + "' is not a state file: it is empty";
    return false;
  }
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), (CFIndex)bytes.size());
  CFErrorRef perr = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, &perr);
  CFRelease(data);
  if (!plist) {
    std::string why = "it is not a property list";
    if (perr) {
      CFStringRef desc = CFErrorCopyDescription(perr);
      if (desc) {
        why += " (" + CFText(desc) + ")";
        CFRelease(desc);
      }
      CFRelease(perr);
    }
    err = "'" + path + "' is not a state file: " + why;
    return false;
  }
  if (CFGetTypeID(plist) != CFDictionaryGetTypeID()) {
    err = "'" + path + "' is not a state file: it holds a " + TypeName(plist) + ", not a dictionary";
    CFRelease(plist);
    return false;
  }
  static const struct
  {
    const char* key;
    CFTypeID (*type)();
  } kRequired[] = {{"version", CFNumberGetTypeID},      {"type", CFNumberGetTypeID}, {"subtype", CFNumberGetTypeID},
                   {"manufacturer", CFNumberGetTypeID}, {"name", CFStringGetTypeID}, {"data", CFDataGetTypeID}};
  CFDictionaryRef dict = (CFDictionaryRef)plist;
  for (const auto& r : kRequired) {
    CFTypeRef v = Lookup(dict, r.key);
    std::string wrong;
    if (!v)
      wrong = "it has no \"" + std::string(r.key) + "\" entry";
    else if (CFGetTypeID(v) != r.type())
      wrong = "its \"" + std::string(r.key) + "\" entry is a " + TypeName(v);
    else if (r.type() == CFNumberGetTypeID() && CFNumberIsFloatType((CFNumberRef)v))
      wrong = "its \"" + std::string(r.key) + "\" entry is not a whole number";
    else if (r.type() == CFStringGetTypeID() && CFText((CFStringRef)v).size() > 63)
      wrong = "its \"name\" entry is longer than 63 bytes";
    else if (r.type() == CFDataGetTypeID() && CFDataGetLength((CFDataRef)v) == 0)
      wrong = "its \"data\" entry is empty";
    if (!wrong.empty()) {
      err = "'" + path + "' is not a usable state: " + wrong;
      CFRelease(plist);
      return false;
    }
  }
  out = plist;
  return true;
}

bool WriteStateFile(const std::string& path, CFPropertyListRef state, std::string& err)
{
  CFErrorRef perr = nullptr;
  CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, &perr);
  if (!xml) {
    if (perr) CFRelease(perr);
    err = "cannot write '" + path + "': the state cannot be written as a property list";
    return false;
  }
  PendingFile file;
  const bool ok = file.Create(path, err) && file.Write(CFDataGetBytePtr(xml), (size_t)CFDataGetLength(xml), err) &&
                  file.Commit(err);
  CFRelease(xml);
  return ok;
}

bool SaveState(const AUSession& session, const std::string& path, const std::string& name, std::string& err)
{
  CFPropertyListRef state = nullptr;
  if (!session.CopyState(state, err)) return false;
  if (!name.empty()) {
    CFMutableDictionaryRef named = CFDictionaryCreateMutableCopy(nullptr, 0, (CFDictionaryRef)state);
    CFRelease(state);
    CFStringRef text = CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingUTF8);
    if (!named || !text) {
      if (named) CFRelease(named);
      if (text) CFRelease(text);
      err = "cannot write '" + path + "': the name is not UTF-8 text";
      return false;
    }
    CFDictionarySetValue(named, CFSTR("name"), text);
    CFRelease(text);
    state = named;
  }
  const bool ok = WriteStateFile(path, state, err);
  CFRelease(state);
  return ok;
}

std::vector<std::string> DescribeState(CFPropertyListRef state)
{
  CFDictionaryRef dict = (CFDictionaryRef)state;
  const CFIndex count = CFDictionaryGetCount(dict);
  std::vector<const void*> keys((size_t)count), values((size_t)count);
  CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
  std::vector<std::pair<std::string, CFTypeRef>> entries;
  for (CFIndex i = 0; i < count; ++i) {
    const std::string key = CFGetTypeID(keys[i]) == CFStringGetTypeID() ? CFText((CFStringRef)keys[i]) : "?";
    entries.push_back({key, values[i]});
  }
  auto rank = [](const std::string& key) {
    const auto* end = std::end(kKnownKeys);
    return std::find_if(std::begin(kKnownKeys), end, [&](const char* k) { return key == k; }) - std::begin(kKnownKeys);
  };
  std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    return rank(a.first) != rank(b.first) ? rank(a.first) < rank(b.first) : a.first < b.first;
  });
  std::vector<std::string> lines;
  for (const auto& e : entries) {
    std::string key = e.first;
    key.resize(std::max<size_t>(key.size() + 1, 14), ' ');
    lines.push_back(key + ValueText(e.first, e.second));
  }
  return lines;
}
