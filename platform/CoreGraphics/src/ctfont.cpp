// Core Text fonts and font descriptors.

#include <CoreText/CTFontDescriptor.h>
#include <CoreText/CTStringAttributes.h>

#include <string>
#include <vector>

#include "font.h"

struct __CTFontDescriptor : cgi::Object
{
  CFTypeID typeID() const override { return CTFontDescriptorGetTypeID(); }
  std::string name;
  CGFloat size = 0;
  std::string postScriptName;
};

namespace {

// UTF-8 text of a string; false for null or unconvertible strings.
bool Utf8(CFStringRef s, std::string* out)
{
  if (!s) return false;
  const CFIndex max = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::vector<char> buf((size_t)max);
  if (!CFStringGetCString(s, buf.data(), max, kCFStringEncodingUTF8)) return false;
  *out = buf.data();
  return true;
}

CFStringRef MakeString(const std::string& s)
{
  return CFStringCreateWithCString(nullptr, s.c_str(), kCFStringEncodingUTF8);
}

}  // namespace

extern "C" {

const CFStringRef kCTFontAttributeName = CFSTR("NSFont");
const CFStringRef kCTForegroundColorAttributeName = CFSTR("CTForegroundColor");
const CFStringRef kCTForegroundColorFromContextAttributeName = CFSTR("CTForegroundColorFromContext");
const CFStringRef kCTFontNameAttribute = CFSTR("NSFontNameAttribute");
const CFStringRef kCTFontSizeAttribute = CFSTR("NSFontSizeAttribute");

CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix)
{
  std::string n;
  if (name && !Utf8(name, &n)) n.clear();
  cti::FaceFile file;
  if (!cti::ResolveFace(n, &file)) return nullptr;
  return __CTFont::Open(file, size > 0 ? size : 12, matrix);
}

CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType uiType, CGFloat size, CFStringRef)
{
  if (size <= 0) size = uiType == kCTFontUIFontLabel ? 10 : 12;
  cti::FaceFile file;
  return cti::DefaultFace(&file) ? __CTFont::Open(file, size, nullptr) : nullptr;
}

CGFloat CTFontGetSize(CTFontRef font) { return font ? font->size : 0; }
CGFloat CTFontGetAscent(CTFontRef font) { return font ? font->ascent : 0; }
CGFloat CTFontGetDescent(CTFontRef font) { return font ? font->descent : 0; }
CGFloat CTFontGetLeading(CTFontRef font) { return font ? font->leading : 0; }
unsigned CTFontGetUnitsPerEm(CTFontRef font) { return font ? font->face->units_per_EM : 0; }

CFStringRef CTFontCopyPostScriptName(CTFontRef font) { return font ? MakeString(font->postScriptName) : nullptr; }
CFStringRef CTFontCopyFamilyName(CTFontRef font) { return font ? MakeString(font->familyName) : nullptr; }
CFStringRef CTFontCopyFullName(CTFontRef font) { return font ? MakeString(font->fullName) : nullptr; }

CTFontDescriptorRef CTFontDescriptorCreateWithNameAndSize(CFStringRef name, CGFloat size)
{
  std::string n;
  if (!Utf8(name, &n)) return nullptr;
  __CTFontDescriptor* d = cgi::New<__CTFontDescriptor>();
  if (!d) return nullptr;
  d->name = n;
  d->size = size;
  return d;
}

// Opens the face once to learn its PostScript name.
CTFontDescriptorRef CTFontDescriptorCreateMatchingFontDescriptor(CTFontDescriptorRef descriptor, CFSetRef)
{
  cti::FaceFile file;
  if (!descriptor || !cti::FindInstalledFace(descriptor->name, &file)) return nullptr;
  __CTFont* font = __CTFont::Open(file, descriptor->size > 0 ? descriptor->size : 12, nullptr);
  if (!font) return nullptr;
  __CTFontDescriptor* d = cgi::New<__CTFontDescriptor>();
  if (d) {
    d->name = font->postScriptName;
    d->size = descriptor->size;
    d->postScriptName = font->postScriptName;
  }
  cgi::Release(font);
  return d;
}

CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute)
{
  if (!descriptor || !attribute) return nullptr;
  if (CFEqual(attribute, kCTFontNameAttribute))
    return MakeString(descriptor->postScriptName.empty() ? descriptor->name : descriptor->postScriptName);
  if (CFEqual(attribute, kCTFontSizeAttribute)) {
    const double size = descriptor->size;
    return CFNumberCreate(nullptr, kCFNumberDoubleType, &size);
  }
  return nullptr;
}

}  // extern "C"
