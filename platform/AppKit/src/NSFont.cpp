#include <AppKit/NSFont.h>

#include <cctype>
#include <string>

namespace {
std::string ToUtf8(CFStringRef s)
{
  if (!s) return std::string();
  char buf[512];
  return CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingUTF8) ? std::string(buf) : std::string();
}

// Names compared as font menus do: case, spaces and hyphens do not matter.
std::string Folded(const std::string& s)
{
  std::string out;
  for (unsigned char c : s)
    if (c != ' ' && c != '-' && c != '_') out.push_back((char)std::tolower(c));
  return out;
}

// Whether the font answers to the name by family, full or PostScript name.
bool Carries(CTFontRef f, const std::string& want)
{
  CFStringRef names[3] = {CTFontCopyFamilyName(f), CTFontCopyFullName(f), CTFontCopyPostScriptName(f)};
  bool match = false;
  for (CFStringRef n : names) {
    if (!n) continue;
    match = match || Folded(ToUtf8(n)) == want;
    CFRelease(n);
  }
  return match;
}
}  // namespace

NSFont* NSFont::adopt(CTFontRef f)
{
  if (!f) return nullptr;
  NSFont* font = new NSFont();
  font->m_font = f;
  return ns_autorelease(font);
}

NSFont::~NSFont()
{
  if (m_font) CFRelease(m_font);
}

NSFont* NSFont::fontWithName(NSString* name, CGFloat size)
{
  if (!name || name->length() == 0) return nullptr;
  CFStringRef cf = CFStringCreateWithCString(kCFAllocatorDefault, name->UTF8String(), kCFStringEncodingUTF8);
  if (!cf) return nullptr;
  CTFontRef f = CTFontCreateWithName(cf, size, nullptr);
  CFRelease(cf);
  if (!f) return nullptr;
  if (!Carries(f, Folded(name->str()))) {  // the face is only a fallback
    CFRelease(f);
    return nullptr;
  }
  return adopt(f);
}

NSFont* NSFont::labelFontOfSize(CGFloat size)
{
  return adopt(CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, size > 0 ? size : 10, nullptr));
}

NSString* NSFont::fontName() const
{
  CFStringRef n = m_font ? CTFontCopyPostScriptName(m_font) : nullptr;
  NSString* s = NSStr(ToUtf8(n).c_str());
  if (n) CFRelease(n);
  return s;
}
