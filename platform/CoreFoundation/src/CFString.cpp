// Strings: UTF-16 units with a UTF-8 copy kept beside them, constant strings, encodings,
// comparison and formatted creation.
#include "CFRuntime.h"

#include "base/utf8.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

struct __CFString : __CFObject
{
  __CFString(std::u16string units, bool isMutable, CFIndex maxLen = 0, bool immortalObject = false)
      : __CFObject(immortalObject), mut(isMutable), maxLength(maxLen)
  {
    set(std::move(units));
  }
  CFTypeID typeID() const override { return cf::kString; }
  bool equals(const __CFObject* other) const override { return u == ((const __CFString*)other)->u; }
  CFHashCode hash() const override
  {
    CFHashCode h = 5381;
    for (char16_t c : u) h = h * 33 + c;
    return h;
  }
  std::string describe() const override { return s8; }
  // Replaces the contents; false when a mutable string's length limit would be passed.
  bool set(std::u16string units)
  {
    if (maxLength > 0 && (CFIndex)units.size() > maxLength) return false;
    u = std::move(units);
    s8 = UTF16ToUTF8(u);
    return true;
  }

  std::u16string u;
  std::string s8;
  bool mut;
  CFIndex maxLength;
};

namespace {

bool isString(CFStringRef s) { return cf::is(s, cf::kString); }
bool isMutableString(CFStringRef s) { return isString(s) && s->mut; }

bool isAllASCII(const std::u16string& u)
{
  for (char16_t c : u)
    if (c >= 0x80) return false;
  return true;
}

// Decodes bytes of a single-byte or Unicode encoding; false for bytes the encoding cannot hold.
bool decode(const UInt8* bytes, size_t n, CFStringEncoding enc, std::u16string& out)
{
  out.clear();
  switch (enc) {
    case kCFStringEncodingUTF8:
      return UTF8ToUTF16((const char*)bytes, n, kUTF8Strict, out);
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingNextStepLatin:
    case kCFStringEncodingNonLossyASCII:
      for (size_t i = 0; i < n; i++) {
        if (bytes[i] >= 0x80) return false;
        out += (char16_t)bytes[i];
      }
      return true;
    case kCFStringEncodingISOLatin1:
    case kCFStringEncodingWindowsLatin1:
      for (size_t i = 0; i < n; i++) out += (char16_t)bytes[i];
      return true;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE: {
      if (n % 2) return false;
      bool big = enc == kCFStringEncodingUTF16BE;
      size_t i = 0;
      if (enc == kCFStringEncodingUTF16 && n >= 2) {  // byte-order mark, little-endian without one
        if (bytes[0] == 0xFE && bytes[1] == 0xFF)
          big = true, i = 2;
        else if (bytes[0] == 0xFF && bytes[1] == 0xFE)
          i = 2;
      }
      for (; i < n; i += 2)
        out += big ? (char16_t)(bytes[i] << 8 | bytes[i + 1]) : (char16_t)(bytes[i + 1] << 8 | bytes[i]);
      return true;
    }
    case kCFStringEncodingUTF32:
    case kCFStringEncodingUTF32BE:
    case kCFStringEncodingUTF32LE: {
      if (n % 4) return false;
      bool big = enc == kCFStringEncodingUTF32BE;
      for (size_t i = 0; i < n; i += 4) {
        UInt32 c = big ? (UInt32)bytes[i] << 24 | bytes[i + 1] << 16 | bytes[i + 2] << 8 | bytes[i + 3]
                       : (UInt32)bytes[i + 3] << 24 | bytes[i + 2] << 16 | bytes[i + 1] << 8 | bytes[i];
        if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
        AppendUTF16(out, c);
      }
      return true;
    }
    default:
      return false;
  }
}

// Encodes UTF-16 units; characters the encoding cannot hold become lossByte, or fail when it is 0.
bool encode(const std::u16string& u, CFStringEncoding enc, UInt8 lossByte, std::string& out)
{
  out.clear();
  switch (enc) {
    case kCFStringEncodingUTF8:
      out = UTF16ToUTF8(u);
      return true;
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingNextStepLatin:
    case kCFStringEncodingNonLossyASCII:
    case kCFStringEncodingISOLatin1:
    case kCFStringEncodingWindowsLatin1: {
      char16_t limit = (enc == kCFStringEncodingISOLatin1 || enc == kCFStringEncodingWindowsLatin1) ? 0x100 : 0x80;
      for (char16_t c : u) {
        if (c < limit)
          out += (char)c;
        else if (lossByte)
          out += (char)lossByte;
        else
          return false;
      }
      return true;
    }
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16LE:
      for (char16_t c : u) out += (char)(c & 0xFF), out += (char)(c >> 8);
      return true;
    case kCFStringEncodingUTF16BE:
      for (char16_t c : u) out += (char)(c >> 8), out += (char)(c & 0xFF);
      return true;
    default:
      return false;
  }
}

CFStringRef fromUnits(CFAllocatorRef a, std::u16string u) { return cf::create<__CFString>(a, std::move(u), false); }

std::u16string fold(const std::u16string& u)
{
  std::u16string r = u;
  for (char16_t& c : r)
    if (c < 0x80) c = (char16_t)tolower(c);
  return r;
}

// Compares two unit strings; numeric runs compare by value when asked.
int compareUnits(const std::u16string& a, const std::u16string& b, bool numeric)
{
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (numeric && a[i] >= '0' && a[i] <= '9' && b[j] >= '0' && b[j] <= '9') {
      size_t i0 = i, j0 = j;
      while (i0 < a.size() && a[i0] == '0') i0++;
      while (j0 < b.size() && b[j0] == '0') j0++;
      size_t i1 = i0, j1 = j0;
      while (i1 < a.size() && a[i1] >= '0' && a[i1] <= '9') i1++;
      while (j1 < b.size() && b[j1] >= '0' && b[j1] <= '9') j1++;
      if (i1 - i0 != j1 - j0) return i1 - i0 < j1 - j0 ? -1 : 1;
      for (size_t k = 0; k < i1 - i0; k++)
        if (a[i0 + k] != b[j0 + k]) return a[i0 + k] < b[j0 + k] ? -1 : 1;
      i = i1, j = j1;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
    i++, j++;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// Formats one printf conversion with the C library into out.
template <class T>
void cformat(std::string& out, const std::string& spec, T value)
{
  char buf[128];
  int n = snprintf(buf, sizeof buf, spec.c_str(), value);
  if (n < 0) return;
  if ((size_t)n < sizeof buf) {
    out.append(buf, (size_t)n);
    return;
  }
  std::vector<char> big((size_t)n + 1);
  snprintf(big.data(), big.size(), spec.c_str(), value);
  out.append(big.data(), (size_t)n);
}

// Pads text to width (left-justified with '-').
void pad(std::string& out, const std::string& text, int width, bool left)
{
  std::u16string u;
  size_t len = UTF8ToUTF16(text.data(), text.size(), kUTF8Strict, u) ? u.size() : text.size();
  std::string fill = width > 0 && (size_t)width > len ? std::string((size_t)width - len, ' ') : std::string();
  out += left ? text + fill : fill + text;
}

// The printf engine behind every format call.
std::string formatString(const std::string& fmt, va_list ap)
{
  std::string out;
  size_t i = 0, n = fmt.size();
  while (i < n) {
    char c = fmt[i];
    if (c != '%') {
      out += c;
      i++;
      continue;
    }
    size_t start = i++;
    std::string flags;
    while (i < n && strchr("-+ #0'", fmt[i])) flags += fmt[i++];
    int width = -1, precision = -1;
    bool left = flags.find('-') != std::string::npos;
    if (i < n && fmt[i] == '*') {
      width = va_arg(ap, int);
      if (width < 0) left = true, width = width == INT_MIN ? INT_MAX : -width;
      i++;
    } else if (i < n && isdigit((unsigned char)fmt[i])) {
      width = 0;
      while (i < n && isdigit((unsigned char)fmt[i])) width = std::min(width * 10 + (fmt[i++] - '0'), 1 << 24);
    }
    if (i < n && fmt[i] == '.') {
      i++;
      precision = 0;
      if (i < n && fmt[i] == '*') {
        precision = va_arg(ap, int);
        i++;
      } else {
        while (i < n && isdigit((unsigned char)fmt[i]))
          precision = std::min(precision * 10 + (fmt[i++] - '0'), 1 << 24);
      }
    }
    const int kMaxField = 1 << 20;  // wider fields are cut, so a format cannot ask for gigabytes
    if (width > kMaxField) width = kMaxField;
    if (precision > kMaxField) precision = kMaxField;
    std::string len;
    while (i < n && strchr("hlqLzjt", fmt[i])) len += fmt[i++];
    if (i >= n) {
      out.append(fmt, start, std::string::npos);
      break;
    }
    char conv = fmt[i++];
    std::string spec = "%" + flags;
    if (flags.find('-') == std::string::npos && left) spec += '-';
    if (width >= 0) spec += std::to_string(width);
    if (precision >= 0) spec += "." + std::to_string(precision);
    switch (conv) {
      case '%':
        out += '%';
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        bool isSigned = conv == 'd' || conv == 'i';
        if (len == "ll" || len == "q" || len == "j") {
          if (isSigned)
            cformat(out, spec + "ll" + conv, va_arg(ap, long long));
          else
            cformat(out, spec + "ll" + conv, va_arg(ap, unsigned long long));
        } else if (len == "l" || len == "z" || len == "t") {
          if (isSigned)
            cformat(out, spec + "l" + conv, va_arg(ap, long));
          else
            cformat(out, spec + "l" + conv, va_arg(ap, unsigned long));
        } else if (len == "h") {
          int v = va_arg(ap, int);
          if (isSigned)
            cformat(out, spec + conv, (int)(short)v);
          else
            cformat(out, spec + conv, (unsigned)(unsigned short)v);
        } else if (len == "hh") {
          int v = va_arg(ap, int);
          if (isSigned)
            cformat(out, spec + conv, (int)(signed char)v);
          else
            cformat(out, spec + conv, (unsigned)(unsigned char)v);
        } else {
          if (isSigned)
            cformat(out, spec + conv, va_arg(ap, int));
          else
            cformat(out, spec + conv, va_arg(ap, unsigned));
        }
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (len == "L")
          cformat(out, spec + "L" + conv, va_arg(ap, long double));
        else
          cformat(out, spec + conv, va_arg(ap, double));
        break;
      case 'c':
        cformat(out, spec + "c", va_arg(ap, int));
        break;
      case 'C': {
        std::u16string u(1, (char16_t)va_arg(ap, int));
        pad(out, UTF16ToUTF8(u), width, left);
        break;
      }
      case 's': {
        const char* s = va_arg(ap, const char*);
        cformat(out, spec + "s", s ? s : "(null)");
        break;
      }
      case 'S': {
        const UniChar* s = va_arg(ap, const UniChar*);
        std::u16string u;
        if (s)
          while (*s && (precision < 0 || (int)u.size() < precision)) u += (char16_t)*s++;
        pad(out, s ? UTF16ToUTF8(u) : "(null)", width, left);
        break;
      }
      case 'p':
        cformat(out, spec + "p", va_arg(ap, void*));
        break;
      case '@': {
        CFTypeRef obj = va_arg(ap, CFTypeRef);
        std::string d = cf::describe(obj);
        if (precision >= 0) {
          std::u16string u;
          if (UTF8ToUTF16(d.data(), d.size(), kUTF8Strict, u) && (int)u.size() > precision)
            d = UTF16ToUTF8(u.substr(0, (size_t)precision));
        }
        pad(out, d, width, left);
        break;
      }
      case 'n':  // would write through a pointer: consumed, never written
        (void)va_arg(ap, void*);
        break;
      default:  // not a conversion: kept as written
        out.append(fmt, start, i - start);
        break;
    }
  }
  return out;
}

struct ConstantTable
{
  std::mutex lock;
  std::unordered_map<std::string, __CFString*> strings;
};

}  // namespace

namespace cf {

std::string utf8(CFStringRef s) { return isString(s) ? s->s8 : std::string(); }

CFStringRef makeString(CFAllocatorRef a, const std::string& s)
{
  std::u16string u;
  if (!UTF8ToUTF16(s.data(), s.size(), kUTF8Strict, u)) return nullptr;
  return fromUnits(a, std::move(u));
}

}  // namespace cf

extern "C" {

CFStringRef __CFStringMakeConstantString(const char* cStr)
{
  if (!cStr) return nullptr;
  static ConstantTable* table = new ConstantTable;  // lives for the whole process
  std::lock_guard<std::mutex> hold(table->lock);
  auto it = table->strings.find(cStr);
  if (it != table->strings.end()) return it->second;
  std::u16string u;
  if (!UTF8ToUTF16(cStr, strlen(cStr), kUTF8Strict, u)) {  // not UTF-8: taken as Latin-1
    for (const char* p = cStr; *p; p++) u += (char16_t)(unsigned char)*p;
  }
  __CFString* s = new __CFString(std::move(u), false, 0, true);
  table->strings.emplace(cStr, s);
  return s;
}

CFTypeID CFStringGetTypeID(void) { return cf::kString; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
  if (!cStr) return nullptr;
  std::u16string u;
  if (!decode((const UInt8*)cStr, strlen(cStr), encoding, u)) return nullptr;
  return fromUnits(alloc, std::move(u));
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean)
{
  if (numBytes < 0 || (!bytes && numBytes > 0)) return nullptr;
  std::u16string u;
  if (!decode(bytes, (size_t)numBytes, encoding, u)) return nullptr;
  return fromUnits(alloc, std::move(u));
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars)
{
  if (numChars < 0 || (!chars && numChars > 0)) return nullptr;
  return fromUnits(alloc, std::u16string(chars ? (const char16_t*)chars : u"", (size_t)numChars));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString)
{
  if (!isString(theString)) return nullptr;
  if (!theString->mut && (theString->immortal || cf::resolve(alloc) == theString->allocator))
    return (CFStringRef)CFRetain(theString);
  return fromUnits(alloc, theString->u);
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range)
{
  if (!isString(str) || range.location < 0 || range.length < 0 ||
      range.location + range.length > (CFIndex)str->u.size())
    return nullptr;
  return fromUnits(alloc, str->u.substr((size_t)range.location, (size_t)range.length));
}

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFDictionaryRef, CFStringRef format,
                                                 va_list arguments)
{
  if (!isString(format)) return nullptr;
  return cf::makeString(alloc, formatString(format->s8, arguments));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...)
{
  va_list ap;
  va_start(ap, format);
  CFStringRef s = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, ap);
  va_end(ap);
  return s;
}

CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef alloc, CFStringRef theString,
                                                  CFStringRef separatorString)
{
  if (!isString(theString) || !isString(separatorString) || separatorString->u.empty()) return nullptr;
  CFMutableArrayRef parts = CFArrayCreateMutable(alloc, 0, &kCFTypeArrayCallBacks);
  if (!parts) return nullptr;
  const std::u16string& u = theString->u;
  size_t pos = 0;
  for (;;) {
    size_t hit = u.find(separatorString->u, pos);
    CFStringRef piece = fromUnits(alloc, u.substr(pos, hit == std::u16string::npos ? std::u16string::npos : hit - pos));
    CFArrayAppendValue(parts, piece);
    CFRelease(piece);
    if (hit == std::u16string::npos) break;
    pos = hit + separatorString->u.size();
  }
  CFArrayRef result = CFArrayCreateCopy(alloc, parts);
  CFRelease(parts);
  return result;
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength)
{
  return cf::create<__CFString>(alloc, std::u16string(), true, maxLength < 0 ? 0 : maxLength);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength, CFStringRef theString)
{
  if (!isString(theString) || (maxLength > 0 && (CFIndex)theString->u.size() > maxLength)) return nullptr;
  return cf::create<__CFString>(alloc, theString->u, true, maxLength < 0 ? 0 : maxLength);
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString)
{
  if (isMutableString(theString) && isString(appendedString)) theString->set(theString->u + appendedString->u);
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr, CFStringEncoding encoding)
{
  std::u16string u;
  if (isMutableString(theString) && cStr && decode((const UInt8*)cStr, strlen(cStr), encoding, u))
    theString->set(theString->u + u);
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars)
{
  if (isMutableString(theString) && chars && numChars > 0)
    theString->set(theString->u + std::u16string((const char16_t*)chars, (size_t)numChars));
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef, CFStringRef format, ...)
{
  if (!isMutableString(theString) || !isString(format)) return;
  va_list ap;
  va_start(ap, format);
  std::string text = formatString(format->s8, ap);
  va_end(ap);
  std::u16string u;
  if (UTF8ToUTF16(text.data(), text.size(), kUTF8Strict, u)) theString->set(theString->u + u);
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr)
{
  if (!isMutableString(str) || !isString(insertedStr) || idx < 0 || idx > (CFIndex)str->u.size()) return;
  std::u16string u = str->u;
  u.insert((size_t)idx, insertedStr->u);
  str->set(std::move(u));
}

void CFStringDelete(CFMutableStringRef theString, CFRange range)
{
  if (!isMutableString(theString) || range.location < 0 || range.length < 0 ||
      range.location + range.length > (CFIndex)theString->u.size())
    return;
  std::u16string u = theString->u;
  u.erase((size_t)range.location, (size_t)range.length);
  theString->set(std::move(u));
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement)
{
  if (isMutableString(theString) && isString(replacement)) theString->set(replacement->u);
}

CFIndex CFStringGetLength(CFStringRef theString) { return isString(theString) ? (CFIndex)theString->u.size() : 0; }

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx)
{
  if (!isString(theString) || idx < 0 || idx >= (CFIndex)theString->u.size()) return 0;
  return theString->u[(size_t)idx];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer)
{
  if (!isString(theString) || !buffer || range.location < 0 || range.length < 0 ||
      range.location + range.length > (CFIndex)theString->u.size())
    return;
  memcpy(buffer, theString->u.data() + range.location, (size_t)range.length * sizeof(UniChar));
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  std::string bytes;
  if (!isString(theString) || !encode(theString->u, encoding, 0, bytes) || (CFIndex)bytes.size() + 1 > bufferSize)
    return false;
  memcpy(buffer, bytes.c_str(), bytes.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding)
{
  if (!isString(theString)) return nullptr;
  if (encoding == kCFStringEncodingUTF8) return theString->s8.c_str();
  bool single = encoding == kCFStringEncodingASCII || encoding == kCFStringEncodingMacRoman ||
                encoding == kCFStringEncodingISOLatin1 || encoding == kCFStringEncodingWindowsLatin1;
  return single && isAllASCII(theString->u) ? theString->s8.c_str() : nullptr;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte, Boolean,
                         UInt8* buffer, CFIndex maxBufLen, CFIndex* usedBufLen)
{
  if (usedBufLen) *usedBufLen = 0;
  if (!isString(theString) || range.location < 0 || range.length < 0 ||
      range.location + range.length > (CFIndex)theString->u.size())
    return 0;
  // Converts unit by unit (surrogate pairs together) so a short buffer stops at a character boundary.
  CFIndex done = 0, used = 0;
  std::string bytes;
  for (CFIndex i = range.location; i < range.location + range.length;) {
    size_t take = 1;
    char16_t c = theString->u[(size_t)i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < range.location + range.length) take = 2;
    if (!encode(theString->u.substr((size_t)i, take), encoding, lossByte, bytes)) break;
    if (buffer && used + (CFIndex)bytes.size() > maxBufLen) break;
    if (buffer) memcpy(buffer + used, bytes.data(), bytes.size());
    used += (CFIndex)bytes.size();
    done += (CFIndex)take;
    i += (CFIndex)take;
  }
  if (usedBufLen) *usedBufLen = used;
  return done;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
  if (length < 0) return kCFNotFound;
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return length > LONG_MAX / 3 ? (CFIndex)kCFNotFound : length * 3;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE:
      return length > LONG_MAX / 2 ? (CFIndex)kCFNotFound : length * 2;
    case kCFStringEncodingUTF32:
    case kCFStringEncodingUTF32BE:
    case kCFStringEncodingUTF32LE:
      return length > LONG_MAX / 4 ? (CFIndex)kCFNotFound : length * 4;
    default:
      return length;
  }
}

CFStringEncoding CFStringGetSystemEncoding(void) { return kCFStringEncodingMacRoman; }

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions)
{
  if (!isString(theString1) || !isString(theString2))
    return isString(theString1) ? kCFCompareGreaterThan : isString(theString2) ? kCFCompareLessThan : kCFCompareEqualTo;
  if (rangeToCompare.location < 0 || rangeToCompare.length < 0 ||
      rangeToCompare.location + rangeToCompare.length > (CFIndex)theString1->u.size())
    return kCFCompareLessThan;
  std::u16string a = theString1->u.substr((size_t)rangeToCompare.location, (size_t)rangeToCompare.length);
  std::u16string b = theString2->u;
  if (compareOptions & kCFCompareCaseInsensitive) a = fold(a), b = fold(b);
  int r = compareUnits(a, b, compareOptions & kCFCompareNumerically);
  if (r == 0 && (compareOptions & kCFCompareForcedOrdering) && (compareOptions & kCFCompareCaseInsensitive))
    r = compareUnits(theString1->u, theString2->u, compareOptions & kCFCompareNumerically);
  return r < 0 ? kCFCompareLessThan : r > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2, CFStringCompareFlags compareOptions)
{
  return CFStringCompareWithOptions(theString1, theString2, CFRangeMake(0, CFStringGetLength(theString1)),
                                    compareOptions);
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix)
{
  return isString(theString) && isString(prefix) && theString->u.size() >= prefix->u.size() &&
         theString->u.compare(0, prefix->u.size(), prefix->u) == 0;
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix)
{
  return isString(theString) && isString(suffix) && theString->u.size() >= suffix->u.size() &&
         theString->u.compare(theString->u.size() - suffix->u.size(), suffix->u.size(), suffix->u) == 0;
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind, CFStringCompareFlags compareOptions)
{
  CFRange none = CFRangeMake(kCFNotFound, 0);
  if (!isString(theString) || !isString(stringToFind) || stringToFind->u.empty()) return none;
  std::u16string hay = theString->u, needle = stringToFind->u;
  if (compareOptions & kCFCompareCaseInsensitive) hay = fold(hay), needle = fold(needle);
  size_t at;
  if (compareOptions & kCFCompareAnchored) {
    size_t from =
        (compareOptions & kCFCompareBackwards) ? (hay.size() >= needle.size() ? hay.size() - needle.size() : 0) : 0;
    at = hay.compare(from, needle.size(), needle) == 0 && hay.size() >= needle.size() ? from : std::u16string::npos;
  } else {
    at = (compareOptions & kCFCompareBackwards) ? hay.rfind(needle) : hay.find(needle);
  }
  return at == std::u16string::npos ? none : CFRangeMake((CFIndex)at, (CFIndex)needle.size());
}

SInt32 CFStringGetIntValue(CFStringRef str)
{
  if (!isString(str)) return 0;
  long long v = strtoll(str->s8.c_str(), nullptr, 10);
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (SInt32)v;
}

double CFStringGetDoubleValue(CFStringRef str) { return isString(str) ? strtod(str->s8.c_str(), nullptr) : 0.0; }

}  // extern "C"
